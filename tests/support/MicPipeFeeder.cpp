#include "support/MicPipeFeeder.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

QString MicPipeFeeder::pipePath() {
    return qEnvironmentVariable("QUILLO_TEST_MIC_PIPE");
}

MicPipeFeeder::MicPipeFeeder(const QString& pipe, double frequency, double amplitude) {
    // The server holds the pipe open for reading, so this does not wait for a reader. Writes
    // never block: the server stops reading while its idle source is suspended, and a blocked
    // write would hold the destructor's join for ever.
    fd_ = ::open(pipe.toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ >= 0) {
        thread_ = std::thread([this, frequency, amplitude] { run(frequency, amplitude); });
    }
}

MicPipeFeeder::~MicPipeFeeder() {
    running_ = false;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void MicPipeFeeder::drain(const QString& pipe) {
    const int fd = ::open(pipe.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    char scratch[65536];
    while (::read(fd, scratch, sizeof scratch) > 0) {
    }
    ::close(fd);
}

void MicPipeFeeder::run(double frequency, double amplitude) {
    using Clock = std::chrono::steady_clock;
    constexpr int chunkFrames = sampleRate / 100;
    std::vector<std::int16_t> chunk(chunkFrames);
    std::int64_t frame = 0;
    auto due = Clock::now();
    while (running_) {
        for (auto& sample : chunk) {
            const double t = static_cast<double>(frame++) / sampleRate;
            sample = static_cast<std::int16_t>(
                std::lrint(amplitude * 32767 * std::sin(2 * std::numbers::pi * frequency * t)));
        }
        // s16le: the machines these tests run on are little-endian.
        // A chunk (under PIPE_BUF, so written whole or not at all) that finds the pipe full is
        // dropped, as a microphone's sound is while nobody listens.
        if (::write(fd_, chunk.data(), chunk.size() * sizeof(std::int16_t)) < 0 &&
            errno != EAGAIN) {
            return;
        }
        due += std::chrono::milliseconds(10);
        std::this_thread::sleep_until(due);
    }
}
