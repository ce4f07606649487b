// The hotkey on headless GNOME Shell 43: keys pressed through mutter's remote desktop API, GNOME's
// custom shortcut running the small sender on the press and every key repeat, Quillo's session
// parts and hotkey gestures. Prints, over several holds and double taps:
//   key press -> Quillo's key-down (the first run of the shortcut's command),
//   key press -> recording start of a hold (after the hold is told from a tap),
//   second tap's press -> recording start of hands-free,
//   key release -> recording stop, and the last repeat -> recording stop.
// The release is known only when the repeats stop: the goal is release -> stop within two
// repeat intervals and 20 ms.
//   bash scripts/with-gnome.sh build/ci/bench/GnomeHotkeyTiming [holds]
#include "app/SessionPlatform.h"
#include "app/SingleInstance.h"
#include "base/Log.h"
#include "base/QtScheduler.h"
#include "models/RecordingStateMachine.h"
#include "platform/KeyCodes.h"
#include "platform/wayland/GnomeCustomShortcut.h"
#include "platform/wayland/GnomeSettings.h"
#include "platform/wayland/GnomeShortcutHotkeyBackend.h"
#include "services/hotkey/HotkeyManager.h"
#include "support/EventLoop.h"
#include "support/GnomeTestSession.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/MutterRemoteKeyboard.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

using Key = MutterRemoteKeyboard;

double ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

struct Series {
    const char* name;
    std::vector<double> values;
    void print() const {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        if (sorted.empty()) {
            std::printf("%-34s no samples\n", name);
            return;
        }
        std::printf("%-34s median %6.1f ms  min %6.1f  max %6.1f  (n=%zu)\n", name,
                    sorted[sorted.size() / 2], sorted.front(), sorted.back(), sorted.size());
    }
    double median() const {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
    }
};

// When each thing happened in the trial under way.
struct Marks {
    std::optional<Clock::time_point> down, start, stop, lastTrigger;
    int triggers = 0;
    int downs = 0;
    std::optional<Clock::time_point> pressed;
    // When each run of the command came, after the key press.
    std::vector<double> arrivals;
    // The longest wait between two runs of the command while the keys were held.
    double longestGap = 0;
};

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    const int holds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    if (!GnomeTestSession::isRunning()) {
        std::fprintf(stderr, "Run inside scripts/with-gnome.sh\n");
        return 1;
    }

    InMemoryDefaultsStore store;
    QtScheduler scheduler;
    SessionPlatform platform(SessionEnvironment::current(), scheduler, store);
    GnomeShortcutHotkeyBackend* gnome = platform.gnomeShortcutHotkeys();
    if (!gnome) {
        std::fprintf(stderr, "No GNOME custom shortcut route in this session\n");
        return 1;
    }
    SingleInstance instance(SingleInstance::defaultSocketPath());
    if (!instance.listen()) {
        std::fprintf(stderr, "Cannot listen at %s\n", qPrintable(instance.lockPath()));
        return 1;
    }
    Marks marks;
    QObject::connect(&instance, &SingleInstance::hotkeyPressRequested, gnome, [&] {
        const Clock::time_point now = Clock::now();
        // After the first repeat: the repeat delay before it is no gap.
        if (marks.lastTrigger && marks.triggers >= 2)
            marks.longestGap = std::max(marks.longestGap, ms(now - *marks.lastTrigger));
        if (marks.pressed)
            marks.arrivals.push_back(ms(now - *marks.pressed));
        marks.lastTrigger = now;
        ++marks.triggers;
        gnome->trigger();
    });

    RecordingStateMachine state;
    HotkeyManager hotkeys(state, platform.hotkeyBackend(), scheduler);
    hotkeys.onStartRecording = [&] { marks.start = Clock::now(); };
    hotkeys.onStopRecording = [&] {
        marks.stop = Clock::now();
        state.onProcessingComplete();
    };
    // The key-down is the first thing the gesture reports: the backend's press.
    const Log::Sink previous = Log::setSink([&](const QString& line) {
        if (!line.contains(QLatin1String("Option+Space DOWN")))
            return;
        ++marks.downs;
        if (!marks.down)
            marks.down = Clock::now();
    });
    const GnomeTestSession::LogMark grabs =
        GnomeTestSession::markLog(QStringLiteral("gsd-media-keys.log"));
    if (!hotkeys.start(49, KeyCodes::controlMask) ||
        GnomeTestSession::waitForCustomGrab(grabs, GnomeCustomShortcut::entryPath()) !=
            GnomeTestSession::Grab::grabbed) {
        std::fprintf(stderr, "Control+Space was not grabbed\n");
        return 1;
    }
    MutterRemoteKeyboard keyboard;
    if (!keyboard.isReady()) {
        std::fprintf(stderr, "%s\n", qPrintable(keyboard.error()));
        return 1;
    }
    const auto idle = [&] {
        return waitUntil([&] { return state.state() == RecordingStateValue::idle; }, 3s);
    };

    Series pressToDown{"press -> key-down", {}};
    Series pressToStart{"press -> hold recording start", {}};
    Series secondTapToStart{"2nd tap -> hands-free start", {}};
    Series releaseToStop{"release -> recording stop", {}};
    Clock::time_point released;
    Series lastRepeatToStop{"last repeat -> recording stop", {}};
    std::vector<int> repeats;
    Series longestGap{"longest gap between repeats", {}};
    int split = 0;
    for (int trial = 0; trial < holds; ++trial) {
        marks = {};
        keyboard.press(Key::leftControl);
        const Clock::time_point pressed = Clock::now();
        marks.pressed = pressed;
        keyboard.press(Key::space);
        runEventLoopFor(1200ms);
        const std::optional<Clock::time_point> lastBeforeRelease = marks.lastTrigger;
        keyboard.release(Key::space);
        released = Clock::now();
        keyboard.release(Key::leftControl);
        waitUntil([&] { return marks.stop.has_value(); }, 2s);
        if (!marks.down || !marks.start || !marks.stop || !lastBeforeRelease) {
            std::fprintf(stderr, "hold %d: incomplete (down %d start %d stop %d)\n", trial,
                         marks.down.has_value(), marks.start.has_value(), marks.stop.has_value());
        } else {
            pressToDown.values.push_back(ms(*marks.down - pressed));
            pressToStart.values.push_back(ms(*marks.start - pressed));
            releaseToStop.values.push_back(ms(*marks.stop - released));
            lastRepeatToStop.values.push_back(ms(*marks.stop - *marks.lastTrigger));
            repeats.push_back(marks.triggers);
        }
        longestGap.values.push_back(marks.longestGap);
        // A pause the gesture took for the release: the recording ended before the keys did
        // (or, for a held-back first repeat, never started).
        if (!marks.start || !marks.stop || *marks.stop < released || marks.downs > 1) {
            ++split;
            std::fprintf(stderr, "hold %d split; runs at (ms after the press):", trial);
            for (double at : marks.arrivals)
                std::fprintf(stderr, " %.0f", at);
            std::fprintf(stderr, "\n");
        }
        idle();
        runEventLoopFor(300ms);
    }
    for (int trial = 0; trial < std::max(1, holds / 2); ++trial) {
        marks = {};
        keyboard.tap(Key::leftControl, Key::space);
        runEventLoopFor(80ms);
        keyboard.press(Key::leftControl);
        const Clock::time_point second = Clock::now();
        keyboard.press(Key::space);
        keyboard.release(Key::space);
        keyboard.release(Key::leftControl);
        waitUntil([&] { return marks.start.has_value(); }, 2s);
        if (marks.start)
            secondTapToStart.values.push_back(ms(*marks.start - second));
        runEventLoopFor(900ms);
        keyboard.tap(Key::leftControl, Key::space);
        waitUntil([&] { return marks.stop.has_value(); }, 2s);
        idle();
        runEventLoopFor(700ms);
    }
    Log::setSink(previous);

    const GnomeSettings keyboardSettings{QLatin1String(GnomeShortcutHotkeyBackend::keyboardSchema)};
    const double interval = keyboardSettings.unsignedInt(QStringLiteral("repeat-interval"));
    std::printf("GNOME key repeat: delay %u ms, interval %.0f ms; holds of 1.2 s: %d\n",
                keyboardSettings.unsignedInt(QStringLiteral("delay")), interval, holds);
    if (!repeats.empty())
        std::printf("%-34s %d to %d per hold\n", "runs of the command",
                    *std::min_element(repeats.begin(), repeats.end()),
                    *std::max_element(repeats.begin(), repeats.end()));
    for (const Series* series : {&pressToDown, &pressToStart, &secondTapToStart, &releaseToStop,
                                 &lastRepeatToStop, &longestGap})
        series->print();
    std::printf("%-34s %d of %d\n", "holds ended early by a late repeat", split, holds);
    const double goal = 2.0 * interval + 20.0;
    std::printf("goal release -> stop <= %.0f ms: %s\n", goal,
                releaseToStop.median() <= goal ? "met (median)" : "NOT met (median)");
    hotkeys.stop();
    return 0;
}
