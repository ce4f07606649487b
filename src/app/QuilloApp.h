#pragma once

#include <QObject>

#include <memory>

class DefaultsStore;
class GnomeShortcutHotkeyBackend;

// The composition root: builds the real platform parts, the pipeline, the tray icon and its
// menu, and wires the windows to them. Lives as long as the process.
class QuilloApp : public QObject {
    Q_OBJECT
public:
    explicit QuilloApp(DefaultsStore& store, QObject* parent = nullptr);
    ~QuilloApp() override;

    // The start-up sequence; the hotkey works from here on.
    void start();
    // Starting Quillo again while it runs opens the settings window.
    void reopen();
    // The compositor's key bindings ran "quillo --hotkey-press" or "--hotkey-release" (sessions
    // whose hotkey comes from them; ignored elsewhere).
    void hotkeyPressRequested();
    void hotkeyReleaseRequested();

    // Shown by default; only an explicitly stored false keeps the windows out of the taskbar.
    static bool showsInTaskbarAtLaunch(const DefaultsStore& store);

private:
    struct Parts;
    void decideTaskbarPresence();
    void installWindowServices();
    // What the desktop says of the hotkey binding, shown on the General section's hotkey field.
    void wireDesktopHotkeyReports();
    // GNOME's custom-shortcut route: a binding holding the keys, and key repeat turned off.
    void wireGnomeHotkeyReports(GnomeShortcutHotkeyBackend& gnome);
    void openSettings();

    std::unique_ptr<Parts> parts_;
};
