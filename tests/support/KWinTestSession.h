#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>
#include <memory>

class QProcess;

// The headless KWin session of scripts/with-kwin.sh, seen from a test.
namespace KWinTestSession {

// How long a test waits for the desktop portal to answer its first call: D-Bus starts the
// portal then, which on a loaded 2-core machine has taken more than 10 s.
inline constexpr std::chrono::seconds portalStart{30};

// Whether the test runs inside it: a Wayland socket and KWin on the session bus.
bool isRunning();
// Makes the window with this caption the active one, through a KWin script over D-Bus.
// True when the script ran; the window itself tells whether it got the focus.
bool activateWindow(const QString& caption,
                    std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
// Kills this session's desktop portal (the frontend and KDE's backend) as a crash or an update
// would, and waits until their bus names are gone. D-Bus starts them again at the next call.
// False when they could not be found.
bool killPortal();

}  // namespace KWinTestSession

// Presses keys at the compositor as a keyboard would, through KWin's fake-input protocol,
// with the kwin-fake-input tool (which scripts/with-kwin.sh allows to use it). Key codes are
// Linux evdev codes (left Alt 56, Space 57, left Control 29, V 47).
class FakeInputKeyboard {
public:
    explicit FakeInputKeyboard(const QString& toolPath);
    ~FakeInputKeyboard();
    FakeInputKeyboard(const FakeInputKeyboard&) = delete;
    FakeInputKeyboard& operator=(const FakeInputKeyboard&) = delete;

    // Connected and granted fake input by KWin.
    bool isReady() const { return ready_; }
    // Each returns once KWin has processed the key (a round trip), true when it was sent.
    bool press(int evdevCode);
    bool release(int evdevCode);
    // Presses and releases `key` with `modifier` held, as a shortcut is typed.
    bool typeChord(int modifier, int key);

private:
    bool command(const QByteArray& line);
    std::unique_ptr<QProcess> process_;
    bool ready_ = false;
};
