// CPU the overlay uses while it shows the live waveform at 30 Hz, driven by real timers on the
// offscreen platform, and the number of timers left running once it is hidden.
//   overlay_cpu [seconds]
#include "base/QtScheduler.h"
#include "platform/CompositorStatus.h"
#include "services/audio/AudioLevelSource.h"
#include "views/overlay/OverlayWindowController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

class Compositing final : public CompositorStatus {
public:
    bool isCompositing() const override { return true; }
};

// A level that changes on every read, so the bars are always animating: the dearest case.
class SwingingLevel final : public AudioLevelSource {
public:
    explicit SwingingLevel(bool swinging) : swinging_(swinging) {}
    float currentLevel() const override {
        ++reads;
        return swinging_ ? static_cast<float>(0.5 + 0.5 * std::sin(reads * 0.7)) : 0.4f;
    }
    mutable long reads = 0;

private:
    bool swinging_;
};

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void runFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

int runningTimers(const QtScheduler& scheduler) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int running = 0;
    for (const QTimer* timer : scheduler.findChildren<QTimer*>()) {
        running += timer->isActive() ? 1 : 0;
    }
    return running;
}

void measure(const char* name, bool swinging, int seconds) {
    QtScheduler scheduler;
    Compositing compositor;
    SwingingLevel level(swinging);
    OverlayWindowController overlay(scheduler, compositor);

    overlay.show(RecordingStateValue::holdRecording, &level);
    runFor(500);  // first paint, font and backing-store set-up are not the steady state

    const long readsBefore = level.reads;
    const double cpuBefore = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runFor(seconds * 1000);
    const double cpu = processCpuSeconds() - cpuBefore;
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const int whileShown = runningTimers(scheduler);

    overlay.dismiss();
    QCoreApplication::processEvents();
    const int whileHidden = runningTimers(scheduler);

    std::printf(
        "%-28s CPU %6.3f %% of one core over %.2f s (%.1f level reads/s); timers running: "
        "%d shown, %d hidden\n",
        name, 100.0 * cpu / elapsed, elapsed,
        static_cast<double>(level.reads - readsBefore) / elapsed, whileShown, whileHidden);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    measure("recording, level changing", true, seconds);
    measure("recording, level steady", false, seconds);
    return 0;
}
