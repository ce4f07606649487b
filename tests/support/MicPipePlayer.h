#pragma once

#include <QString>
#include <QtGlobal>

#include <QProcess>

#include <atomic>
#include <memory>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

// Feeds the test server's pipe source (s16le, 48 kHz, mono) at real-time pace from its own
// thread, in 10 ms chunks: silence, and a recording whenever play() asks for one. The sound
// server reads the pipe only while someone records, so a listener of our own (parec) records
// all along: the pipe stays nearly empty, and what is written reaches a capture within a few
// milliseconds, as sound reaches a microphone.
class MicPipePlayer {
public:
    using Clock = std::chrono::steady_clock;

    explicit MicPipePlayer(const QString& pipe);
    ~MicPipePlayer();
    MicPipePlayer(const MicPipePlayer&) = delete;
    MicPipePlayer& operator=(const MicPipePlayer&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    // Plays 16 kHz samples from the next chunk on; returns when that chunk is written, with
    // the moment it was.
    Clock::time_point play(const std::vector<qint16>& samples16k);
    // Whether everything play() was given has been written.
    bool isIdle() const;

private:
    void run();

    int fd_ = -1;
    QProcess listener_;
    std::atomic<bool> running_{true};
    mutable std::mutex mutex_;
    std::vector<qint16> queue_;  // 48 kHz samples still to write
    std::size_t position_ = 0;
    Clock::time_point firstWritten_{};
    bool started_ = false;
    std::thread thread_;
};
