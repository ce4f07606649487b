#pragma once

#include <QString>

#include <atomic>
#include <thread>

// Feeds the test server's pipe source (s16le, 48 kHz, mono) with a sine at real-time pace
// from its own thread, in 10 ms chunks, for as long as it lives.
class MicPipeFeeder {
public:
    static constexpr int sampleRate = 48000;

    // The pipe named by QUILLO_TEST_MIC_PIPE; empty outside scripts/with-test-env.sh.
    static QString pipePath();

    MicPipeFeeder(const QString& pipe, double frequency, double amplitude);
    ~MicPipeFeeder();
    MicPipeFeeder(const MicPipeFeeder&) = delete;
    MicPipeFeeder& operator=(const MicPipeFeeder&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    // Reads away what an earlier writer left in the pipe while nobody captured.
    static void drain(const QString& pipe);

private:
    void run(double frequency, double amplitude);

    int fd_ = -1;
    std::atomic<bool> running_{true};
    std::thread thread_;
};
