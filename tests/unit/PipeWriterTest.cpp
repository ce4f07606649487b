#include "platform/wayland/PipeWriter.h"
#include "support/EventLoop.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// True once nobody holds the pipe's write end any more.
bool writerClosed(int readFd) {
    pollfd ready{readFd, POLLIN, 0};
    return ::poll(&ready, 1, 0) == 1 && (ready.revents & POLLHUP) != 0;
}

}  // namespace

// A client that asks for the clipboard and never reads must not hold our answer for ever.
TEST(PipeWriter, AReaderThatStopsReadingIsGivenUpAfterTheStallTimeout) {
    LogCapture log;
    QObject owner;
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    // Far more than a pipe holds, so that the writer has to wait for the reader.
    PipeWriter::write(fds[1], QByteArray(4 * 1024 * 1024, 'x'), &owner, 50ms);
    EXPECT_FALSE(writerClosed(fds[0])) << "waiting for the reader";

    EXPECT_TRUE(waitUntil([&] { return writerClosed(fds[0]); }, 10s));
    EXPECT_TRUE(
        log.contains("[ClipboardManager] A reader of the clipboard stopped reading -- "
                     "its answer is given up"));
    ::close(fds[0]);
}
