// Records from the default microphone until it has heard audio, then quits as Quillo does:
// mid-recording, its objects destroyed in order, the process ended by Quillo's own exit.
// Prints "heard" once audio arrived; exits 2 when none came.
#include "base/ProcessExit.h"
#include "platform/audio/QtAudioInput.h"

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <cstdio>

namespace {

int recordThenQuit(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    std::atomic<qsizetype> frames{0};  // outlives the input, whose handler counts into it
    QtAudioInput input;
    input.setBufferHandler([&](const float*, qsizetype count) { frames += count; });
    if (!input.start().format)
        return 3;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (frames > 0)
            QCoreApplication::exit(0);
    });
    poll.start(5);
    QTimer::singleShot(5000, &app, [] { QCoreApplication::exit(2); });
    const int code = QCoreApplication::exec();
    if (code == 0)
        std::puts("heard");
    return code;
}

}  // namespace

int main(int argc, char* argv[]) {
    ProcessExit::skippingStaticTeardown(recordThenQuit(argc, argv));
}
