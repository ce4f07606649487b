// Answer in hand -> text in the Wayland window on GNOME's route.
//
// Without arguments, on an X server (run under scripts/with-test-env.sh): the previous clipboard
// saved, the text owned, mutter's read of the new owner waited for (a fake bridge reading after
// a chosen delay, 1-12 ms in mutter 43), the chord, the window's fetch through the bridge.
//
// With `--gnome FIELD_FILE [--shift-insert]`, inside a GNOME Shell session with XWayland
// (DISPLAY, XAUTHORITY, WAYLAND_DISPLAY and the session bus set) whose focused text field
// writes its text to FIELD_FILE on every change: the real route, the chord through the
// RemoteDesktop portal (its consent dialog must be answered once), until the text is in the
// field. --shift-insert presses Shift+Insert with the text on both selections instead;
// --type types the text through the portal instead (the route without XWayland).
#include "BenchTools.h"

#include "base/QtScheduler.h"
#include "platform/wayland/LayoutKeysyms.h"
#include "platform/wayland/PortalRemoteDesktopKeystrokeSender.h"
#include "platform/x11/X11Pasteboard.h"
#include "services/paste/ClipboardManager.h"
#include "support/EventLoop.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeClipboardBridge.h"
#include "support/FakeKeystrokeSender.h"
#include "support/FakeScriptKeystroke.h"
#include "support/InMemoryDefaultsStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>

#include <cstdio>

using namespace std::chrono_literals;

namespace {

const QString kText = QStringLiteral("Grüße, café — 日本");

QString fieldText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The portal's keys, with the chord chosen here rather than by the (unknowable) focused window.
class ChosenChord final : public KeystrokeSender {
public:
    ChosenChord(KeystrokeSender& keys, PasteChord chord) : keys_(keys), chord_(chord) {}
    Modifiers currentModifiers() override { return keys_.currentModifiers(); }
    PasteChord chordForFocusedWindow() override { return chord_; }
    Result postPasteChord(PasteChord chord) override { return keys_.postPasteChord(chord); }

private:
    KeystrokeSender& keys_;
    PasteChord chord_;
};

int onGnome(const QString& field, PasteChord chord, bool typing) {
    constexpr int kRuns = 20;
    QtScheduler scheduler;
    InMemoryDefaultsStore store;
    PortalRemoteDesktopKeystrokeSender portal(store);
    QSignalSpy ready(&portal, &PortalRemoteDesktopKeystrokeSender::ready);
    std::printf("waiting for the remote desktop consent\n");
    std::fflush(stdout);
    if (!ready.wait(60000)) {
        std::fprintf(stderr, "the portal session did not start\n");
        return 1;
    }
    if (typing) {
        portal.typeWithLayout([] {
            return [keysyms = LayoutKeysyms::ofGnomeInputSource()](quint32 keysym) {
                return keysyms.contains(keysym);
            };
        });
        std::vector<double> typed;
        int whole = 0;
        for (int run = 0; run < 5; ++run) {
            const QString before = fieldText(field);
            QElapsedTimer clock;
            clock.start();
            const TextTyper::Typed result = portal.typeText(kText);
            waitUntil([&] { return fieldText(field) == before + kText; }, 3s);
            typed.push_back(clock.nsecsElapsed() / 1e6);
            whole += fieldText(field) == before + kText ? 1 : 0;
            std::printf("typed %s, untypeable \"%s\", field got \"%s\"\n",
                        result.sent ? "whole" : "in part", qPrintable(result.untypeable),
                        qPrintable(fieldText(field).mid(before.size())));
        }
        std::printf("GNOME, typed through the portal: %d of 5 whole, median %.0f ms\n", whole,
                    bench::median(typed));
        return 0;
    }
    ChosenChord keys(portal, chord);
    X11Pasteboard previous;
    X11Pasteboard pasteboard;
    FakeScriptKeystroke script;
    FakeAccessibilityTrust trust(true);
    ClipboardManager manager(pasteboard, keys, script, trust, scheduler);
    manager.pasteThroughClipboardBridge();
    std::vector<double> arrived;
    std::vector<double> done;
    int whole = 0;
    for (int run = 0; run < kRuns; ++run) {
        previous.restore(Pasteboard::Selection::Clipboard,
                         {{QStringLiteral("UTF8_STRING"), "before"},
                          {QStringLiteral("text/plain;charset=utf-8"), "before"}});
        runEventLoopFor(200ms);
        const QString before = fieldText(field);
        QElapsedTimer clock;
        clock.start();
        QCoro::Task<void> task = manager.pasteText(kText);
        double at = -1;
        while (clock.elapsed() < 3000 && (at < 0 || !task.isReady())) {
            runEventLoopFor(1ms);
            if (at < 0 && fieldText(field).size() > before.size()) {
                at = clock.nsecsElapsed() / 1e6;
                // The field may take a moment more to write the whole text.
                runEventLoopFor(20ms);
                whole += fieldText(field) == before + kText ? 1 : 0;
            }
        }
        if (at >= 0)
            arrived.push_back(at);
        done.push_back(clock.nsecsElapsed() / 1e6);
    }
    // The previous copy is back for Wayland windows: one more chord pastes it.
    const QString beforeCheck = fieldText(field);
    keys.postPasteChord(PasteChord::ControlV);
    runEventLoopFor(300ms);
    std::printf("after the last dictation Ctrl+V pastes %s\n",
                qPrintable(fieldText(field)
                               .mid(beforeCheck.size())
                               .prepend(QLatin1Char('"'))
                               .append(QLatin1Char('"'))));
    std::sort(arrived.begin(), arrived.end());
    std::printf(
        "GNOME, %s: answer -> text in the field median %.1f ms, p90 %.1f ms, max %.1f ms; "
        "%d of %d whole, %zu arrived; clipboard back after median %.0f ms\n",
        chord == PasteChord::ShiftInsert ? "Shift+Insert" : "Ctrl+V", bench::median(arrived),
        arrived.empty() ? 0.0 : arrived[arrived.size() * 9 / 10],
        arrived.empty() ? 0.0 : arrived.back(), whole, kRuns, arrived.size(), bench::median(done));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() >= 3 && arguments[1] == QLatin1String("--gnome")) {
        return onGnome(arguments[2],
                       arguments.contains(QStringLiteral("--shift-insert"))
                           ? PasteChord::ShiftInsert
                           : PasteChord::ControlV,
                       arguments.contains(QStringLiteral("--type")));
    }
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
            QCoro::Task<void> task = manager.pasteText(kText);
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
