#include "app/SessionPlatform.h"

#include "app/SingleInstance.h"

#include "base/Log.h"
#include "models/AppSettings.h"
#include "platform/SessionNotes.h"
#include "platform/wayland/CommandHotkeyBackend.h"
#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/GnomeCustomShortcut.h"
#include "platform/wayland/GnomeShortcutHotkeyBackend.h"
#include "platform/wayland/LayoutKeysyms.h"
#include "platform/wayland/PortalAccessibilityTrust.h"
#include "platform/wayland/PortalGlobalShortcutsBackend.h"
#include "platform/wayland/PortalRemoteDesktopKeystrokeSender.h"
#include "platform/wayland/SwayBindings.h"
#include "platform/wayland/VirtualKeyboardAccessibilityTrust.h"
#include "platform/wayland/VirtualKeyboardKeystrokeSender.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandModifierEventSource.h"
#include "platform/x11/WaylandSessionNotice.h"
#include "platform/x11/X11AccessibilityTrust.h"
#include "platform/x11/X11GlobalHotkeyBackend.h"
#include "platform/x11/X11ModifierEventSource.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11WindowFocus.h"
#include "platform/x11/XTestKeystrokeSender.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

#include <unistd.h>

namespace {

bool desktopIs(const QString& currentDesktop, QLatin1String name) {
    const QStringList desktops = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return std::any_of(desktops.begin(), desktops.end(), [name](const QString& desktop) {
        return desktop.compare(name, Qt::CaseInsensitive) == 0;
    });
}

}  // namespace

SessionEnvironment SessionEnvironment::current() {
    return {qEnvironmentVariable("XDG_SESSION_TYPE"), qEnvironmentVariable("WAYLAND_DISPLAY"),
            qEnvironmentVariable("XDG_CURRENT_DESKTOP"), qEnvironmentVariable("DISPLAY")};
}

SessionKind SessionPlatform::kindOf(const SessionEnvironment& environment) {
    const QString type = environment.sessionType.toLower();
    const bool wayland = type == QLatin1String("wayland") ||
                         (type != QLatin1String("x11") && !environment.waylandDisplay.isEmpty());
    if (!wayland)
        return SessionKind::x11;
    if (desktopIs(environment.currentDesktop, QLatin1String("KDE")))
        return SessionKind::kde;
    if (desktopIs(environment.currentDesktop, QLatin1String("GNOME")))
        return SessionKind::gnome;
    return SessionKind::wlroots;
}

QByteArray SessionPlatform::qtPlatformFor(const SessionEnvironment& environment) {
    if (kindOf(environment) == SessionKind::x11 || environment.x11Display.isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

SessionPlatform::SessionPlatform(const SessionEnvironment& environment, Scheduler& scheduler,
                                 DefaultsStore& store, SecretCache* secrets)
    : kind_(kindOf(environment)), secrets_(secrets) {
    if (kind_ == SessionKind::x11) {
        buildX11();
    } else {
        buildWayland(environment, scheduler, store);
    }
}

SessionPlatform::~SessionPlatform() = default;

// The small sender beside Quillo, which costs a key repeat almost nothing; Quillo itself where
// it is missing (a build run from elsewhere).
QStringList SessionPlatform::gnomePressCommand() {
    const QString sender =
        QCoreApplication::applicationDirPath() + QStringLiteral("/quillo-hotkey-press");
    if (QFileInfo(sender).isExecutable()) {
        return {sender, SingleInstance::defaultSocketPath()};
    }
    const QString program = QCoreApplication::applicationFilePath();
    return {program.isEmpty() ? QStringLiteral("quillo") : program,
            QStringLiteral("--hotkey-press")};
}

void SessionPlatform::buildX11() {
    pasteboard_ = std::make_unique<X11Pasteboard>();
    buildX11Input();
    // Only here: under Wayland, X11 sees the XWayland windows alone and would name a stale one.
    windowFocus_ = std::make_unique<X11WindowFocus>();
}

void SessionPlatform::buildX11Input() {
    hotkeyBackend_ = std::make_unique<X11GlobalHotkeyBackend>();
    keystrokes_ = std::make_unique<XTestKeystrokeSender>();
    accessibility_ = std::make_unique<X11AccessibilityTrust>();
    modifierEvents_ = std::make_unique<X11ModifierEventSource>();
}

void SessionPlatform::buildWayland(const SessionEnvironment& environment, Scheduler& scheduler,
                                   DefaultsStore& store) {
    wayland_ = std::make_unique<WaylandConnection>(environment.waylandDisplay.toLocal8Bit());
    const bool hasX11 = !environment.x11Display.isEmpty();
    showsOverlay_ = hasX11;
    if (!hasX11) {
        note(QStringLiteral("[Quillo] No X server (XWayland) in this Wayland session: the overlay "
                            "is not shown"),
             QStringLiteral("session.limit.no_overlay"));
    }
    // Esc is taken through the X server: the compositor lends no key of other windows.
    if (hasX11) {
        note(QStringLiteral("[Quillo] Esc cancels a dictation only while an X11 application has "
                            "the focus in this Wayland session"),
             QStringLiteral("session.limit.cancel_key"));
    } else {
        note(QStringLiteral("[Quillo] Esc cannot cancel a dictation in this Wayland session "
                            "without an X server"),
             QStringLiteral("session.limit.no_cancel_key"));
    }

    if (kind_ == SessionKind::gnome && !trayHostRunning()) {
        note(QStringLiteral("[Quillo] GNOME shows no tray icons without its AppIndicator "
                            "extension: dictation works without it, and starting Quillo again "
                            "opens its settings"),
             QStringLiteral("session.gnome.no_tray"));
    }

    if (kind_ == SessionKind::wlroots) {
        choosePasteboard(hasX11);
        buildBindingsInput(scheduler);
        return;
    }
    if (kind_ == SessionKind::gnome &&
        buildGnomeShortcutInput(scheduler, store, hasX11, AppSettings(store).gnomeCustomShortcut()))
        return;
    if (buildPortalInput(store, hasX11))
        return;
    if (kind_ == SessionKind::gnome) {
        buildX11Input();
        buildGnomePaste(store, hasX11);
    } else {
        choosePasteboard(hasX11);
        buildX11Input();
    }
    note(WaylandSessionNotice::textFor(QStringLiteral("wayland")),
         QStringLiteral("session.limit.hotkey"));
}

void SessionPlatform::choosePasteboard(bool hasX11) {
    auto dataControl = std::make_unique<DataControlPasteboard>(*wayland_);
    if (dataControl->isAvailable()) {
        pasteboard_ = std::move(dataControl);
    } else if (hasX11) {
        pasteboard_ = std::make_unique<X11Pasteboard>();
        note(QStringLiteral("[Quillo] The compositor offers no data-control protocol: the "
                            "clipboard goes through XWayland"),
             QStringLiteral("session.limit.clipboard"));
    } else {
        // Kept although unavailable: every operation reports that nothing could be done.
        pasteboard_ = std::move(dataControl);
        note(QStringLiteral("[Quillo] The compositor offers no data-control protocol and there "
                            "is no X server: dictated text cannot be pasted"),
             QStringLiteral("session.limit.no_clipboard"));
    }
}

void SessionPlatform::buildBindingsInput(Scheduler& scheduler) {
    modifierEvents_ = std::make_unique<WaylandModifierEventSource>();
    auto command = std::make_unique<CommandHotkeyBackend>(scheduler);
    commandHotkeys_ = command.get();
    hotkeyBackend_ = std::move(command);
    auto virtualKeyboard = std::make_unique<VirtualKeyboardKeystrokeSender>(*wayland_);
    if (virtualKeyboard->isAvailable()) {
        accessibility_ = std::make_unique<VirtualKeyboardAccessibilityTrust>(*virtualKeyboard);
        keystrokes_ = std::move(virtualKeyboard);
    } else {
        keystrokes_ = std::make_unique<XTestKeystrokeSender>();
        accessibility_ = std::make_unique<X11AccessibilityTrust>();
        note(QStringLiteral("[Quillo] The compositor offers no virtual keyboard "
                            "(zwp_virtual_keyboard_v1): the paste chord reaches X11 "
                            "applications only"),
             QStringLiteral("session.limit.paste"));
    }
    note(QStringLiteral("[Quillo] The hotkey comes from the compositor's key bindings "
                        "(quillo --hotkey-press, --hotkey-release); a lone modifier key "
                        "cannot be bound that way"),
         QStringLiteral("session.limit.bindings"));
}

// GNOME before 48 has no GlobalShortcuts portal, and a portal that lists it may still fail to
// make a session: the hotkey then comes from Quillo's own GNOME custom keyboard shortcut, and the
// paste goes GNOME's own way (buildGnomePaste).
bool SessionPlatform::buildGnomeShortcutInput(Scheduler& scheduler, DefaultsStore& store,
                                              bool hasX11, bool preferCustomShortcut) {
    const bool listed = PortalGlobalShortcutsBackend::isAvailable();
    if (listed && PortalGlobalShortcutsBackend::createsSession()) {
        // GNOME 48 and later: the user may still choose the custom shortcut in the settings.
        limitationIds_.append(QStringLiteral("session.choice.gnome_custom_shortcut"));
        if (!preferCustomShortcut) {
            // The portal binds the hotkey: an entry left from an earlier route would fire twice.
            GnomeCustomShortcut::remove();
            return false;
        }
        logLines_.append(
            QStringLiteral("[Quillo] The portal offers GlobalShortcuts, but the "
                           "GNOME custom keyboard shortcut is chosen in the "
                           "settings"));
    } else {
        logLines_.append(listed
                             ? QStringLiteral("[Quillo] The portal lists GlobalShortcuts but "
                                              "could not make a session: it is not available")
                             : QStringLiteral("[Quillo] GNOME offers no GlobalShortcuts portal"));
    }
    if (!GnomeCustomShortcut::isAvailable()) {
        logLines_.append(
            QStringLiteral(
                "[Quillo] GNOME's custom keyboard shortcuts are not available either (schema %1 "
                "not installed)")
                .arg(QLatin1String(GnomeCustomShortcut::listSchema)));
        return false;
    }
    buildGnomePaste(store, hasX11);
    modifierEvents_ = std::make_unique<WaylandModifierEventSource>();
    auto hotkeys = std::make_unique<GnomeShortcutHotkeyBackend>(
        scheduler, GnomeCustomShortcut::pressCommand(gnomePressCommand()));
    gnomeHotkeys_ = hotkeys.get();
    hotkeyBackend_ = std::move(hotkeys);
    note(QStringLiteral("[Quillo] The hotkey is Quillo's own GNOME custom keyboard "
                        "shortcut (running %1); a hold ends when its key repeats stop")
             .arg(gnomeHotkeys_->command()),
         QStringLiteral("session.gnome.custom_shortcut"));
    note(QStringLiteral("[Quillo] The desktop binds key combinations only: a lone modifier "
                        "key cannot be the hotkey in this session"),
         QStringLiteral("session.limit.lone_modifier"));
    return true;
}

// KDE Plasma, and any desktop whose portal offers GlobalShortcuts: the hotkey through that
// portal, the paste chord through the RemoteDesktop portal's keyboard.
bool SessionPlatform::buildPortalInput(DefaultsStore& store, bool hasX11) {
    if (!PortalGlobalShortcutsBackend::isAvailable())
        return false;
    auto hotkeys = std::make_unique<PortalGlobalShortcutsBackend>();
    // The hotkey's own keys are the only ones the session knows to be held until the portal's
    // release; the backend outlives the sender (declared before it).
    const PortalGlobalShortcutsBackend* held = hotkeys.get();
    auto keystrokes = std::make_unique<PortalRemoteDesktopKeystrokeSender>(
        store, [held] { return KeystrokeSender::Modifiers(held->heldModifiers()); });
    if (secrets_)
        keystrokes->keepRestoreTokenIn(*secrets_);
    portalHotkeys_ = hotkeys.get();
    PortalRemoteDesktopKeystrokeSender* typer = keystrokes.get();
    accessibility_ = std::make_unique<PortalAccessibilityTrust>(*keystrokes);
    hotkeyBackend_ = std::move(hotkeys);
    keystrokes_ = std::move(keystrokes);
    modifierEvents_ = std::make_unique<WaylandModifierEventSource>();
    note(QStringLiteral("[Quillo] The desktop binds key combinations only: a lone modifier "
                        "key cannot be the hotkey in this session"),
         QStringLiteral("session.limit.lone_modifier"));
    if (kind_ == SessionKind::gnome) {
        chooseGnomePaste(typer, hasX11);
        return true;
    }
    auto dataControl = std::make_unique<DataControlPasteboard>(*wayland_);
    const bool hasDataControl = dataControl->isAvailable();
    // Kept either way: without data control it reports that nothing can be done.
    pasteboard_ = std::move(dataControl);
    if (!hasDataControl) {
        // GNOME: the clipboard is reachable only with the focus, the portal's keyboard is not.
        textTyper_ = typer;
        note(QStringLiteral("[Quillo] The compositor offers no data-control protocol: dictated "
                            "text is typed through the remote desktop portal instead of pasted"),
             QStringLiteral("session.limit.typing"));
    }
    return true;
}

// IBus runs as this user's ibus-daemon; its bus is its own, so the process is what tells.
bool SessionPlatform::inputMethodRunning() {
    const uint uid = ::getuid();
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (!pid.front().isDigit())
            continue;
        QFile comm(proc.filePath(pid + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "ibus-daemon")
            continue;
        if (QFileInfo(proc.filePath(pid)).ownerId() == uid)
            return true;
    }
    return false;
}

// Qt shows its tray icon through a StatusNotifier host; on GNOME the AppIndicator extension is
// the one that registers it.
bool SessionPlatform::trayHostRunning() {
    const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
}

// GNOME's Wayland has neither data control nor a clipboard portal: the session's paste. Where
// XWayland runs, mutter bridges the X11 clipboard to Wayland windows both ways, so the text is
// offered there and the chord goes through the RemoteDesktop portal, whose keys reach Wayland
// and X11 windows alike (XTest's reach X11 windows only). Without it the text is typed through
// that portal. The portal's session is asked for here, at start-up, so that its consent dialog
// never takes the focus during a dictation.
void SessionPlatform::buildGnomePaste(DefaultsStore& store, bool hasX11) {
    auto portal = std::make_unique<PortalRemoteDesktopKeystrokeSender>(store);
    if (secrets_)
        portal->keepRestoreTokenIn(*secrets_);
    accessibility_ = std::make_unique<PortalAccessibilityTrust>(*portal);
    PortalRemoteDesktopKeystrokeSender* typer = portal.get();
    keystrokes_ = std::move(portal);
    chooseGnomePaste(typer, hasX11);
}

void SessionPlatform::chooseGnomePaste(PortalRemoteDesktopKeystrokeSender* portal, bool hasX11) {
    // mutter drops keysyms its keymap lacks: they go another way or are named.
    portal->typeWithLayout([] {
        return [keysyms = LayoutKeysyms::ofGnomeInputSource()](quint32 keysym) {
            return !keysyms.isValid() || keysyms.contains(keysym);
        };
    });
    if (hasX11) {
        pasteboard_ = std::make_unique<X11Pasteboard>();
        pastesThroughClipboardBridge_ = true;
        // The one chord that pastes in GTK, Qt and terminal windows alike, with the text on
        // both selections (terminals paste the primary one); Ctrl+V is a control character in
        // a terminal, and which window has the focus is not known here.
        portal->setPasteChord(PasteChord::ShiftInsert);
        note(QStringLiteral("[Quillo] GNOME: dictated text goes on the X11 clipboard and primary "
                            "selection, which mutter hands on to Wayland windows, and Shift+Insert "
                            "through the remote desktop portal"),
             QStringLiteral("session.limit.gnome_paste"));
        return;
    }
    // Kept although unavailable on GNOME: it reports that nothing can be done.
    pasteboard_ = std::make_unique<DataControlPasteboard>(*wayland_);
    textTyper_ = portal;
    // GTK reads Ctrl+Shift+U by itself, Qt only through IBus: without IBus a Qt field would
    // get the hex digits as text, so the characters are named instead.
    const bool inputMethod = inputMethodRunning();
    portal->enterByCodePoint(inputMethod);
    note(inputMethod
             ? QStringLiteral("[Quillo] No X server (XWayland) in this GNOME session: dictated "
                              "text is typed through the remote desktop portal; characters the "
                              "keyboard layout lacks are entered as Ctrl+Shift+U codes for IBus")
             : QStringLiteral("[Quillo] No X server (XWayland) in this GNOME session: dictated "
                              "text is typed through the remote desktop portal; without IBus, "
                              "characters the keyboard layout lacks are named on the overlay"),
         QStringLiteral("session.limit.gnome_typing"));
}

void SessionPlatform::note(const QString& logLine, const QString& textId) {
    logLines_.append(logLine);
    limitationIds_.append(textId);
}

void SessionPlatform::announce() const {
    for (const QString& line : logLines_)
        Log::line(line);
    SessionNotes::BindingLines bindingLines;
    if (commandHotkeys_) {
        const QString program = QCoreApplication::applicationFilePath().isEmpty()
                                    ? QStringLiteral("quillo")
                                    : QCoreApplication::applicationFilePath();
        bindingLines = [program](int keyCode, int modifiers) {
            return SwayBindings::configLines(keyCode, modifiers, program);
        };
    }
    SessionNotes::install(limitationIds_, std::move(bindingLines));
}
