#pragma once

#include "platform/KeystrokeSender.h"
#include "platform/TextTyper.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>

class DefaultsStore;
class SecretCache;

// Posts the paste chord through the desktop portal's RemoteDesktop keyboard (KDE Plasma,
// GNOME). One portal session, started at construction and kept for the process's lifetime;
// its restore token is stored, so a desktop that asks the user asks only once. A portal that
// restarts gets a new session at once; a session the user closed is started again only when
// the next paste asks for it. Keys go as Linux input (evdev) codes, the portal's keyboard
// numbering.
class PortalRemoteDesktopKeystrokeSender final : public QObject,
                                                 public KeystrokeSender,
                                                 public TextTyper {
    Q_OBJECT
public:
    static constexpr char restoreTokenKey[] = "remote_desktop_restore_token";
    static constexpr int evdevLeftControl = 29;
    static constexpr int evdevLeftShift = 42;
    static constexpr int evdevLeftAlt = 56;
    static constexpr int evdevLeftMeta = 125;
    static constexpr int evdevInsert = 110;
    static constexpr int evdevV = 47;

    // The portal tells nothing of the keyboard's state: `heldModifiers` reports what the
    // session does know to be held (the global shortcut's keys until the portal's release).
    using HeldModifiers = std::function<Modifiers()>;

    explicit PortalRemoteDesktopKeystrokeSender(
        DefaultsStore& store, HeldModifiers heldModifiers = {},
        const QDBusConnection& bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~PortalRemoteDesktopKeystrokeSender() override;

    // The restore token is a secret: kept in the keyring (through `secrets`) rather than the
    // store. Set before the event loop runs again after construction.
    void keepRestoreTokenIn(SecretCache& secrets) { secrets_ = &secrets; }

    // Whether the session has started and offers a keyboard.
    bool isReady() const { return !session_.isEmpty() && started_; }

    Modifiers currentModifiers() override;
    // Wayland does not say which window has the focus: one chord for every window, Ctrl+V
    // unless set otherwise.
    PasteChord chordForFocusedWindow() override { return chord_; }
    void setPasteChord(PasteChord chord) { chord_ = chord; }
    Result postPasteChord(PasteChord chord) override;
    // Types `text` key by key (as keysyms), for desktops whose clipboard cannot be written
    // without the focus. Not sent when the session is not ready or the portal refused a key.
    // Characters the layout lacks (see typeWithLayout) go through the Unicode entry of GTK and
    // IBus, or are named as untypeable.
    Typed typeText(const QString& text) override;
    // Tells, at each typing, whether the active layout gives a keysym: the compositor drops the
    // others. Unset: every keysym counts as typable.
    using LayoutHasKeysym = std::function<std::function<bool(quint32)>()>;
    void typeWithLayout(LayoutHasKeysym layout) { layout_ = std::move(layout); }
    // Whether what the layout lacks goes through the Unicode entry (on by default); off where
    // no input method reads it, so such characters are named instead of typed as hex digits.
    void enterByCodePoint(bool on) { enterByCodePoint_ = on; }

signals:
    // The session started; keys can go out.
    void ready();
    // The portal refused the session; nothing can be posted through it.
    void failed();

private slots:
    void onSessionClosed();

private:
    void createSession();
    void onPortalOwnerChanged(const QString& oldOwner);
    void lose();
    // False when no session is up; then one is started, unless one is starting already.
    bool readyOrRestarting();
    void selectDevices();
    void startSession();
    // A refusal (not the user's cancel) is tried again a few times before it counts.
    void refused(uint response);
    void closeSession();
    void fail();
    using KeyEvents = QList<std::pair<int, uint>>;
    // The number of events the portal took before the first refusal.
    qsizetype notify(const QString& method, const KeyEvents& keys);

    QString restoreToken() const;
    void keepRestoreToken(const QString& token);

    DefaultsStore& store_;
    SecretCache* secrets_ = nullptr;
    HeldModifiers heldModifiers_;
    LayoutHasKeysym layout_;
    bool enterByCodePoint_ = true;
    PasteChord chord_ = PasteChord::ControlV;
    QDBusConnection bus_;
    QString session_;
    bool started_ = false;
    static constexpr int retries = 3;
    static constexpr int firstRetryDelayMs = 500;
    int retriesLeft_ = retries;
    int retryDelayMs_ = firstRetryDelayMs;
    // A session is being made: no second one is started meanwhile.
    bool starting_ = false;
};
