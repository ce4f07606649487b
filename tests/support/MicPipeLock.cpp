#include "support/MicPipeLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

MicPipeLock::MicPipeLock(const QString& pipe) {
    fd_ = ::open((pipe + QStringLiteral(".lock")).toLocal8Bit().constData(),
                 O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_EX);
    }
}

MicPipeLock::~MicPipeLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
    }
}
