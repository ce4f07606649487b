#pragma once

#include <QString>

// Exclusive use of the test server's microphone pipe while it lives. Test processes that feed
// the pipe at the same time would mix their signals, and ctest runs tests in parallel.
class MicPipeLock {
public:
    explicit MicPipeLock(const QString& pipe);  // waits for the current holder
    ~MicPipeLock();
    MicPipeLock(const MicPipeLock&) = delete;
    MicPipeLock& operator=(const MicPipeLock&) = delete;

private:
    int fd_ = -1;
};
