// Answer in hand -> text in the Wayland window on GNOME's route, on an X server (run under
// scripts/with-test-env.sh): the previous clipboard saved, the text owned, mutter's read of the
// new owner waited for (a fake bridge reading after a chosen delay, 1-12 ms in mutter 43), the
// chord, the window's fetch through the bridge. The portal's chord and the window's own
// insertion come on top (1-6 ms measured on GNOME Shell 43).
#include "BenchTools.h"

#include "base/QtScheduler.h"
#include "platform/x11/X11Pasteboard.h"
#include "services/paste/ClipboardManager.h"
#include "support/EventLoop.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeClipboardBridge.h"
#include "support/FakeKeystrokeSender.h"
#include "support/FakeScriptKeystroke.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace std::chrono_literals;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    constexpr int kRuns = 30;
    QtScheduler scheduler;
    X11Pasteboard previous;
    X11Pasteboard pasteboard;
    FakeKeystrokeSender keystrokes(scheduler);
    FakeScriptKeystroke script;
    FakeAccessibilityTrust trust(true);
    ClipboardManager manager(pasteboard, keystrokes, script, trust, scheduler);
    manager.pasteThroughClipboardBridge();
    for (const auto readDelay : {1ms, 6ms, 12ms}) {
        FakeClipboardBridge bridge(readDelay);
        if (!bridge.isConnected()) {
            std::fprintf(stderr, "no X server with XFixes: run under scripts/with-test-env.sh\n");
            return 1;
        }
        QElapsedTimer clock;
        std::vector<double> arrived;
        std::vector<double> done;
        keystrokes.onChord = [&bridge] { bridge.paste(); };
        bridge.onPasted([&] { arrived.push_back(clock.nsecsElapsed() / 1e6); });
        for (int run = 0; run < kRuns; ++run) {
            previous.restore(Pasteboard::Selection::Clipboard,
                             {{QStringLiteral("text/plain;charset=utf-8"), "before"},
                              {QStringLiteral("text/html"), "<b>before</b>"}});
            runEventLoopFor(30ms);
            clock.start();
            QCoro::Task<void> task = manager.pasteText(QStringLiteral("Grüße, café — 日本"));
            waitUntil([&] { return task.isReady(); }, 5s);
            done.push_back(clock.nsecsElapsed() / 1e6);
        }
        std::sort(arrived.begin(), arrived.end());
        std::printf(
            "bridge reads after %2lld ms: answer -> text in the window median %.1f ms, "
            "p90 %.1f ms, max %.1f ms (%zu of %d); clipboard back after median %.0f ms\n",
            static_cast<long long>(readDelay.count()), bench::median(arrived),
            arrived.empty() ? 0.0 : arrived[arrived.size() * 9 / 10],
            arrived.empty() ? 0.0 : arrived.back(), arrived.size(), kRuns, bench::median(done));
    }
    return 0;
}
