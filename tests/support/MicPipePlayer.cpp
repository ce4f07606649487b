#include "support/MicPipePlayer.h"

#include <fcntl.h>
#include <unistd.h>

MicPipePlayer::MicPipePlayer(const QString& pipe) {
    // The server holds the pipe open for reading, so this does not wait for a reader.
    fd_ = ::open(pipe.toLocal8Bit().constData(), O_WRONLY | O_CLOEXEC);
    if (fd_ >= 0) {
        thread_ = std::thread([this] { run(); });
        listener_.setStandardOutputFile(QProcess::nullDevice());
        listener_.start(QStringLiteral("parec"), {QStringLiteral("--raw"), QStringLiteral("-d"),
                                                  QStringLiteral("@DEFAULT_SOURCE@")});
        listener_.waitForStarted();
    }
}

MicPipePlayer::~MicPipePlayer() {
    listener_.kill();
    listener_.waitForFinished();
    running_ = false;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

MicPipePlayer::Clock::time_point MicPipePlayer::play(const std::vector<qint16>& samples16k) {
    {
        std::lock_guard lock(mutex_);
        // Three times the rate by linear interpolation: plenty for a cross-correlation.
        queue_.clear();
        for (std::size_t i = 0; i < samples16k.size(); ++i) {
            const int a = samples16k[i];
            const int b = i + 1 < samples16k.size() ? samples16k[i + 1] : a;
            queue_.push_back(static_cast<qint16>(a));
            queue_.push_back(static_cast<qint16>((2 * a + b) / 3));
            queue_.push_back(static_cast<qint16>((a + 2 * b) / 3));
        }
        position_ = 0;
        started_ = false;
    }
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (started_ || !running_) {
                return firstWritten_;
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

bool MicPipePlayer::isIdle() const {
    std::lock_guard lock(mutex_);
    return position_ >= queue_.size();
}

void MicPipePlayer::run() {
    constexpr std::size_t chunk = 480;  // 10 ms at 48 kHz
    std::vector<qint16> buffer(chunk);
    auto due = Clock::now();
    while (running_) {
        bool firstOfPlay = false;
        {
            std::lock_guard lock(mutex_);
            for (std::size_t i = 0; i < chunk; ++i) {
                buffer[i] = position_ < queue_.size() ? queue_[position_++] : 0;
            }
            firstOfPlay = !started_ && position_ > 0 && position_ <= chunk;
        }
        // s16le: the machines these tests run on are little-endian.
        if (::write(fd_, buffer.data(), chunk * sizeof(qint16)) < 0) {
            return;
        }
        if (firstOfPlay) {
            std::lock_guard lock(mutex_);
            firstWritten_ = Clock::now();
            started_ = true;
        }
        due += std::chrono::milliseconds(10);
        std::this_thread::sleep_until(due);
    }
}
