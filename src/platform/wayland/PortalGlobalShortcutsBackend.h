#pragma once

#include "platform/GlobalHotkeyBackend.h"

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class QDBusMessage;

// Global hotkeys through the desktop portal's GlobalShortcuts interface (KDE Plasma, GNOME 48
// and later). Each registration is a portal session created with its shortcut and preferred
// trigger in the options, which binds it without a dialog. Activated is the press,
// Deactivated the release; the portal repeats Activated while the keys are held, and only
// the first counts. The binding is confirmed once the portal has listed the shortcut with a
// trigger: registerHotkey answers "awaiting confirmation", and the handlers get `confirmed`
// or `refused` later. A portal that restarts loses every session: each binding is made again.
class PortalGlobalShortcutsBackend final : public QObject, public GlobalHotkeyBackend {
    Q_OBJECT
public:
    // The trigger is held by another application (Carbon's "hotkey exists" code).
    static constexpr int hotKeyExistsError = -9878;
    // The portal refused or failed the session.
    static constexpr int portalRefused = -128;

    explicit PortalGlobalShortcutsBackend(
        const QDBusConnection& bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~PortalGlobalShortcutsBackend() override;

    // Whether the session's desktop portal offers GlobalShortcuts.
    static bool isAvailable(const QDBusConnection& bus = QDBusConnection::sessionBus());
    // Whether the portal makes a GlobalShortcuts session now: a portal may list the interface
    // with no desktop backend behind it (GNOME before 48 beside KDE's portal). Waits up to
    // `timeoutMs` for the answer, running the event loop meanwhile; the probe session is closed.
    static bool createsSession(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                               int timeoutMs = 5000);

    Outcome installHandler(Handler handler) override;
    Outcome registerHotkey(quint32 keyCode, quint32 carbonModifiers, HotkeyId id) override;
    // The portal binds key combinations; a modifier alone is no trigger.
    bool canBindLoneModifiers() const override { return false; }

    // The Carbon modifiers of a combination the portal reports held (between its Activated
    // and Deactivated), 0 when none is.
    quint32 heldModifiers() const;
    // How the desktop describes the trigger now bound ("Alt+Space"); empty while none is.
    QString triggerDescription() const;

signals:
    // The user gave the shortcut another trigger in the desktop's own settings;
    // `description` is the desktop's text for it, empty when it has none now.
    void triggerChanged(const QString& description);
    // The desktop could not bind `trigger` (XDG spelling): another application holds it.
    void triggerTaken(const QString& trigger);

private slots:
    void onActivated(const QDBusMessage& message);
    void onDeactivated(const QDBusMessage& message);
    void onShortcutsChanged(const QDBusMessage& message);

private:
    struct Binding;
    Binding* bindingFor(const QDBusMessage& message);
    void createSession(const Binding& binding);
    void rebindAfterPortalLoss();
    void sessionCreated(quint64 token, uint response, const QVariantMap& results);
    void shortcutsListed(quint64 token, uint response, const QVariantMap& results);
    void bindShortcut(Binding& binding);
    void refuse(quint64 token, int status);
    void release(quint64 token);
    void dispatch(const HotkeyEvent& event);

    QDBusConnection bus_;
    quint64 nextToken_ = 1;
    QList<std::pair<quint64, Handler>> handlers_;
    QList<std::shared_ptr<Binding>> bindings_;
};
