#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class AccessibilityTrust;
class CommandHotkeyBackend;
class DefaultsStore;
class SecretCache;
class GlobalHotkeyBackend;
class GnomeShortcutHotkeyBackend;
class KeystrokeSender;
class ModifierEventSource;
class PortalGlobalShortcutsBackend;
class PortalRemoteDesktopKeystrokeSender;
class Pasteboard;
class Scheduler;
class TextTyper;
class WaylandConnection;
class WindowFocus;

// The session Quillo runs in, as its environment tells.
struct SessionEnvironment {
    QString sessionType;     // XDG_SESSION_TYPE
    QString waylandDisplay;  // WAYLAND_DISPLAY
    QString currentDesktop;  // XDG_CURRENT_DESKTOP, a colon-separated list
    QString x11Display;      // DISPLAY: an X server, XWayland in a Wayland session

    static SessionEnvironment current();
};

enum class SessionKind { x11, kde, gnome, wlroots };

// The platform parts that differ between sessions, chosen once at start-up. X11 sessions get the
// xcb, XTest and Qt clipboard parts; Wayland sessions the data-control clipboard and, by desktop,
// the portals (KDE, GNOME) or the compositor's bindings and a virtual keyboard (wlroots). What a
// session cannot do is collected as log lines and settings-window text ids.
class SessionPlatform {
public:
    static SessionKind kindOf(const SessionEnvironment& environment);
    // The Qt platform plugin our windows should use: "xcb" in a Wayland session with XWayland,
    // where the overlay can stay above other windows without the focus; empty for Qt's choice.
    static QByteArray qtPlatformFor(const SessionEnvironment& environment);

    // `store` keeps what a desktop portal hands out for later runs (the remote desktop's
    // restore token); `secrets`, when given, keeps it in the keyring instead.
    SessionPlatform(const SessionEnvironment& environment, Scheduler& scheduler,
                    DefaultsStore& store, SecretCache* secrets = nullptr);
    ~SessionPlatform();

    SessionKind kind() const { return kind_; }
    GlobalHotkeyBackend& hotkeyBackend() { return *hotkeyBackend_; }
    KeystrokeSender& keystrokes() { return *keystrokes_; }
    Pasteboard& pasteboard() { return *pasteboard_; }
    AccessibilityTrust& accessibility() { return *accessibility_; }
    // The watch of lone modifier keys: X11's where the hotkey goes through the X server, one
    // that reports nothing where the Wayland compositor keeps other windows' keys to itself.
    ModifierEventSource& modifierEvents() { return *modifierEvents_; }
    // Set when the compositor's key bindings drive the hotkey through the single-instance socket.
    CommandHotkeyBackend* commandHotkeys() const { return commandHotkeys_; }
    // Set when the desktop portal binds the hotkey: it reports taken and changed triggers.
    PortalGlobalShortcutsBackend* portalHotkeys() const { return portalHotkeys_; }
    // Set when a GNOME custom keyboard shortcut drives the hotkey through the single-instance
    // socket (GNOME without a working GlobalShortcuts portal).
    GnomeShortcutHotkeyBackend* gnomeShortcutHotkeys() const { return gnomeHotkeys_; }
    // True where the text goes on an X11 clipboard that the compositor hands on to Wayland
    // windows (GNOME with XWayland): the paste then waits for the bridge's read.
    bool pastesThroughClipboardBridge() const { return pastesThroughClipboardBridge_; }
    // Set where dictated text must be typed rather than pasted (no clipboard control).
    TextTyper* textTyper() const { return textTyper_; }
    // Set where the desktop tells which window has the focus (X11): each text then goes to the
    // window its recording ended in.
    WindowFocus* windowFocus() const { return windowFocus_.get(); }
    // False without an X server: a native Wayland window cannot be kept above others unfocused.
    bool showsOverlay() const { return showsOverlay_; }

    QStringList limitationLogLines() const { return logLines_; }
    QStringList limitationIds() const { return limitationIds_; }
    // Logs every limitation once and hands them, with the binding lines, to the settings window.
    void announce() const;

private:
    static QStringList gnomePressCommand();
    static bool trayHostRunning();
    static bool inputMethodRunning();
    void buildX11();
    void buildWayland(const SessionEnvironment& environment, Scheduler& scheduler,
                      DefaultsStore& store);
    void buildX11Input();
    void choosePasteboard(bool hasX11);
    void buildBindingsInput(Scheduler& scheduler);
    // False when the desktop's portal offers no global shortcuts.
    bool buildPortalInput(DefaultsStore& store, bool hasX11);
    // False when the portal binds the hotkey here (unless `preferCustomShortcut`), or GNOME's
    // custom shortcuts are missing.
    bool buildGnomeShortcutInput(Scheduler& scheduler, DefaultsStore& store, bool hasX11,
                                 bool preferCustomShortcut);
    void buildGnomePaste(DefaultsStore& store, bool hasX11);
    void chooseGnomePaste(PortalRemoteDesktopKeystrokeSender* portal, bool hasX11);
    void note(const QString& logLine, const QString& textId);

    SessionKind kind_;
    SecretCache* secrets_ = nullptr;
    std::unique_ptr<WaylandConnection> wayland_;
    std::unique_ptr<GlobalHotkeyBackend> hotkeyBackend_;
    std::unique_ptr<KeystrokeSender> keystrokes_;
    std::unique_ptr<Pasteboard> pasteboard_;
    std::unique_ptr<AccessibilityTrust> accessibility_;
    std::unique_ptr<ModifierEventSource> modifierEvents_;
    std::unique_ptr<WindowFocus> windowFocus_;
    CommandHotkeyBackend* commandHotkeys_ = nullptr;
    PortalGlobalShortcutsBackend* portalHotkeys_ = nullptr;
    GnomeShortcutHotkeyBackend* gnomeHotkeys_ = nullptr;
    TextTyper* textTyper_ = nullptr;
    bool pastesThroughClipboardBridge_ = false;
    bool showsOverlay_ = true;
    QStringList logLines_;
    QStringList limitationIds_;
};
