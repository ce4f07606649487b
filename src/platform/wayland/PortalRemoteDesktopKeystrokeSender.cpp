#include "platform/wayland/PortalRemoteDesktopKeystrokeSender.h"

#include "models/SecretCache.h"

#include "base/Log.h"
#include "platform/DefaultsStore.h"
#include "platform/TypingFilter.h"
#include "platform/TypingPlan.h"
#include "platform/wayland/PortalRequest.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QList>
#include <QDBusServiceWatcher>
#include <QTimer>

#include <xkbcommon/xkbcommon.h>

namespace {

constexpr char remoteDesktopInterface[] = "org.freedesktop.portal.RemoteDesktop";
constexpr uint keyboardDevice = 1;
// Kept until the user revokes it.
constexpr uint persistUntilRevoked = 2;
constexpr uint keyPressed = 1;
constexpr uint keyReleased = 0;

// The evdev keys that stand for the held modifiers, in the order they are pressed again.
QList<int> modifierKeys(KeystrokeSender::Modifiers modifiers) {
    QList<int> keys;
    if (modifiers & KeystrokeSender::Control)
        keys.append(PortalRemoteDesktopKeystrokeSender::evdevLeftControl);
    if (modifiers & KeystrokeSender::Shift)
        keys.append(PortalRemoteDesktopKeystrokeSender::evdevLeftShift);
    if (modifiers & KeystrokeSender::Option)
        keys.append(PortalRemoteDesktopKeystrokeSender::evdevLeftAlt);
    if (modifiers & KeystrokeSender::Command)
        keys.append(PortalRemoteDesktopKeystrokeSender::evdevLeftMeta);
    return keys;
}

}  // namespace

PortalRemoteDesktopKeystrokeSender::PortalRemoteDesktopKeystrokeSender(DefaultsStore& store,
                                                                       HeldModifiers heldModifiers,
                                                                       const QDBusConnection& bus,
                                                                       QObject* parent)
    : QObject(parent), store_(store), heldModifiers_(std::move(heldModifiers)), bus_(bus) {
    auto* portal = new QDBusServiceWatcher(QLatin1String(PortalRequest::service), bus_,
                                           QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(portal, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString& oldOwner, const QString&) {
                onPortalOwnerChanged(oldOwner);
            });
    createSession();
}

PortalRemoteDesktopKeystrokeSender::~PortalRemoteDesktopKeystrokeSender() {
    closeSession();
}

void PortalRemoteDesktopKeystrokeSender::closeSession() {
    if (session_.isEmpty())
        return;
    bus_.asyncCall(QDBusMessage::createMethodCall(QLatin1String(PortalRequest::service), session_,
                                                  QStringLiteral("org.freedesktop.portal.Session"),
                                                  QStringLiteral("Close")));
    session_.clear();
}

QString PortalRemoteDesktopKeystrokeSender::restoreToken() const {
    const QString key = QLatin1String(restoreTokenKey);
    return secrets_ ? secrets_->value(key) : store_.string(key).value_or(QString());
}

void PortalRemoteDesktopKeystrokeSender::keepRestoreToken(const QString& token) {
    const QString key = QLatin1String(restoreTokenKey);
    if (secrets_)
        secrets_->setValue(key, token);
    else
        store_.setString(key, token);
}

void PortalRemoteDesktopKeystrokeSender::createSession() {
    if (!bus_.isConnected()) {
        fail();
        return;
    }
    starting_ = true;
    const QVariantMap options{{QStringLiteral("session_handle_token"), PortalRequest::newToken()}};
    PortalRequest::start(
        bus_, QLatin1String(remoteDesktopInterface), QStringLiteral("CreateSession"), {options},
        [this](uint response, const QVariantMap& results) {
            session_ = results.value(QStringLiteral("session_handle")).toString();
            if (response != PortalRequest::success || session_.isEmpty()) {
                refused(response);
                return;
            }
            selectDevices();
        },
        this);
}

void PortalRemoteDesktopKeystrokeSender::selectDevices() {
    QVariantMap options{{QStringLiteral("types"), keyboardDevice},
                        {QStringLiteral("persist_mode"), persistUntilRevoked}};
    const QString token = restoreToken();
    if (!token.isEmpty())
        options.insert(QStringLiteral("restore_token"), token);
    PortalRequest::start(
        bus_, QLatin1String(remoteDesktopInterface), QStringLiteral("SelectDevices"),
        {QVariant::fromValue(QDBusObjectPath(session_)), options},
        [this](uint response, const QVariantMap&) {
            if (response != PortalRequest::success) {
                refused(response);
                return;
            }
            startSession();
        },
        this);
}

void PortalRemoteDesktopKeystrokeSender::startSession() {
    PortalRequest::start(
        bus_, QLatin1String(remoteDesktopInterface), QStringLiteral("Start"),
        {QVariant::fromValue(QDBusObjectPath(session_)), QString(), QVariantMap{}},
        [this](uint response, const QVariantMap& results) {
            if (response != PortalRequest::success) {
                refused(response);
                return;
            }
            if (results.contains(QStringLiteral("devices")) &&
                !(results.value(QStringLiteral("devices")).toUInt() & keyboardDevice)) {
                fail();
                return;
            }
            const QString token = results.value(QStringLiteral("restore_token")).toString();
            if (!token.isEmpty())
                keepRestoreToken(token);
            bus_.connect(QLatin1String(PortalRequest::service), session_,
                         QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Closed"),
                         this, SLOT(onSessionClosed()));
            starting_ = false;
            started_ = true;
            retriesLeft_ = retries;
            retryDelayMs_ = firstRetryDelayMs;
            emit ready();
        },
        this);
}

void PortalRemoteDesktopKeystrokeSender::refused(uint response) {
    closeSession();
    // A portal started a moment ago may not know the outputs yet and refuses every session
    // until it does (KDE: "no screen to select"); the user's own cancel is final.
    if (response == PortalRequest::cancelled || retriesLeft_ == 0) {
        fail();
        return;
    }
    --retriesLeft_;
    QTimer::singleShot(retryDelayMs_, this, &PortalRemoteDesktopKeystrokeSender::createSession);
    retryDelayMs_ *= 2;
}

void PortalRemoteDesktopKeystrokeSender::onSessionClosed() {
    Log::line(
        QStringLiteral("[Quillo] The remote desktop session was closed: the next paste "
                       "starts a new one"));
    lose();
}

// The portal went away with every session (restarted, or updated): a new one at once, as
// nobody asked for the old one to end.
void PortalRemoteDesktopKeystrokeSender::onPortalOwnerChanged(const QString& oldOwner) {
    if (oldOwner.isEmpty())
        return;
    lose();
    createSession();
}

void PortalRemoteDesktopKeystrokeSender::lose() {
    if (!session_.isEmpty())
        bus_.disconnect(QLatin1String(PortalRequest::service), session_,
                        QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Closed"),
                        this, SLOT(onSessionClosed()));
    session_.clear();
    started_ = false;
}

void PortalRemoteDesktopKeystrokeSender::fail() {
    Log::line(
        QStringLiteral("[Quillo] The remote desktop portal refused its keyboard: the paste chord "
                       "cannot be posted"));
    closeSession();
    started_ = false;
    starting_ = false;
    emit failed();
}

KeystrokeSender::Modifiers PortalRemoteDesktopKeystrokeSender::currentModifiers() {
    return heldModifiers_ ? heldModifiers_() : 0;
}

KeystrokeSender::Result PortalRemoteDesktopKeystrokeSender::postPasteChord(PasteChord chord) {
    if (!readyOrRestarting())
        return Result::NotSent;
    const auto [modifier, key] = chord == PasteChord::ShiftInsert
                                     ? std::pair(evdevLeftShift, evdevInsert)
                                     : std::pair(evdevLeftControl, evdevV);
    // Held modifiers would turn the chord into another one: lifted for the moment.
    const QList<int> held = modifierKeys(currentModifiers());
    KeyEvents keys;
    for (const int heldKey : held)
        keys.append({heldKey, keyReleased});
    keys.append(
        {{modifier, keyPressed}, {key, keyPressed}, {key, keyReleased}, {modifier, keyReleased}});
    for (const int heldKey : held)
        keys.append({heldKey, keyPressed});
    const qsizetype sent = notify(QStringLiteral("NotifyKeyboardKeycode"), keys);
    if (sent == keys.size())
        return Result::Sent;
    if (sent == 0)
        return Result::NotSent;
    // Nothing of the chord may stay pressed: its keys go up again, as far as the portal lets.
    notify(QStringLiteral("NotifyKeyboardKeycode"), {{key, keyReleased}, {modifier, keyReleased}});
    return Result::PartlySent;
}

TextTyper::Typed PortalRemoteDesktopKeystrokeSender::typeText(const QString& text) {
    const std::function<bool(quint32)> hasKeysym = layout_ ? layout_() : nullptr;
    const auto keysymOf = [](char32_t codePoint) -> xkb_keysym_t {
        return codePoint == U'\n' ? XKB_KEY_Return : xkb_utf32_to_keysym(codePoint);
    };
    const TypingPlan plan = TypingPlan::make(TypingFilter::typable(text), [&](char32_t codePoint) {
        const xkb_keysym_t keysym = keysymOf(codePoint);
        return keysym != XKB_KEY_NoSymbol && (!hasKeysym || hasKeysym(keysym));
    }, enterByCodePoint_);
    KeyEvents keys;
    const auto tap = [&keys](xkb_keysym_t keysym) {
        keys.append({int(keysym), keyPressed});
        keys.append({int(keysym), keyReleased});
    };
    for (const TypingPlan::Step& step : plan.steps) {
        if (step.way == TypingPlan::Way::Key) {
            tap(keysymOf(step.character));
            continue;
        }
        keys.append({XKB_KEY_Control_L, keyPressed});
        keys.append({XKB_KEY_Shift_L, keyPressed});
        tap(XKB_KEY_u);
        keys.append({XKB_KEY_Shift_L, keyReleased});
        keys.append({XKB_KEY_Control_L, keyReleased});
        for (const QChar digit : TypingPlan::entryDigits(step.character))
            tap(xkb_utf32_to_keysym(digit.unicode()));
        tap(XKB_KEY_space);
    }
    const bool sent =
        readyOrRestarting() && notify(QStringLiteral("NotifyKeyboardKeysym"), keys) == keys.size();
    return {sent, plan.untypeable};
}

bool PortalRemoteDesktopKeystrokeSender::readyOrRestarting() {
    if (isReady())
        return true;
    // These keys are lost (a pasted text stays on the clipboard); the next ones have a
    // session again.
    if (!starting_)
        createSession();
    return false;
}

qsizetype PortalRemoteDesktopKeystrokeSender::notify(const QString& method, const KeyEvents& keys) {
    if (!isReady())
        return 0;
    qsizetype sent = 0;
    // One at a time: the KDE portal mixes up the order of keys that arrive together.
    for (const auto& [key, state] : keys) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QLatin1String(PortalRequest::service), QLatin1String(PortalRequest::path),
            QLatin1String(remoteDesktopInterface), method);
        call.setArguments(
            {QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap{}, key, state});
        if (bus_.call(call, QDBus::Block, 2000).type() != QDBusMessage::ReplyMessage)
            return sent;
        ++sent;
    }
    return sent;
}
