#include "platform/wayland/PortalGlobalShortcutsBackend.h"

#include "platform/wayland/PortalRequest.h"
#include "platform/wayland/PortalShortcut.h"
#include "platform/wayland/XdgShortcutTrigger.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace {

constexpr char shortcutsInterface[] = "org.freedesktop.portal.GlobalShortcuts";
constexpr char sessionInterface[] = "org.freedesktop.portal.Session";

QString shortcutIdFor(HotkeyId id) {
    QByteArray signature(4, '\0');
    for (int i = 0; i < 4; ++i)
        signature[i] = char((id.signature >> (8 * (3 - i))) & 0xff);
    return QStringLiteral("%1-%2").arg(QString::fromLatin1(signature)).arg(id.id);
}

void closeSession(const QDBusConnection& bus, const QString& session) {
    if (session.isEmpty())
        return;
    bus.asyncCall(QDBusMessage::createMethodCall(QLatin1String(PortalRequest::service), session,
                                                 QLatin1String(sessionInterface),
                                                 QStringLiteral("Close")));
}

}  // namespace

struct PortalGlobalShortcutsBackend::Binding {
    quint64 token = 0;
    HotkeyId id;
    QString shortcutId;
    QString trigger;
    quint32 modifiers = 0;
    // KDE names the desktop's shortcut entry after it: kept when the session is made again,
    // so the desktop's key goes to the new session.
    QString sessionToken;
    // Set once the portal has made the session.
    QString session;
    QString description;
    // BindShortcuts was called: the desktop has been asked once.
    bool bindAsked = false;
    bool confirmed = false;
    bool down = false;
};

PortalGlobalShortcutsBackend::PortalGlobalShortcutsBackend(const QDBusConnection& bus,
                                                           QObject* parent)
    : QObject(parent), bus_(bus) {
    PortalShortcut::registerDBusTypes();
    const auto subscribe = [this](const char* name, const char* slot) {
        bus_.connect(QLatin1String(PortalRequest::service), QLatin1String(PortalRequest::path),
                     QLatin1String(shortcutsInterface), QLatin1String(name), this, slot);
    };
    subscribe("Activated", SLOT(onActivated(QDBusMessage)));
    subscribe("Deactivated", SLOT(onDeactivated(QDBusMessage)));
    subscribe("ShortcutsChanged", SLOT(onShortcutsChanged(QDBusMessage)));
    auto* portal = new QDBusServiceWatcher(QLatin1String(PortalRequest::service), bus_,
                                           QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(portal, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString& oldOwner, const QString&) {
                if (!oldOwner.isEmpty())
                    rebindAfterPortalLoss();
            });
}

PortalGlobalShortcutsBackend::~PortalGlobalShortcutsBackend() {
    for (const auto& binding : bindings_)
        closeSession(bus_, binding->session);
}

bool PortalGlobalShortcutsBackend::isAvailable(const QDBusConnection& bus) {
    if (!bus.isConnected())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        QLatin1String(PortalRequest::service), QLatin1String(PortalRequest::path),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({QLatin1String(shortcutsInterface), QStringLiteral("version")});
    // The first call may start the portal: give it time.
    const QDBusMessage reply = bus.call(get, QDBus::Block, 10000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().value<QDBusVariant>().variant().toUInt() >= 1;
}

bool PortalGlobalShortcutsBackend::createsSession(const QDBusConnection& bus, int timeoutMs) {
    if (!isAvailable(bus))
        return false;
    QEventLoop loop;
    bool created = false;
    PortalRequest::start(
        bus, QLatin1String(shortcutsInterface), QStringLiteral("CreateSession"),
        {QVariantMap{{QStringLiteral("session_handle_token"), PortalRequest::newToken()}}},
        [&](uint response, const QVariantMap& results) {
            const QString session = results.value(QStringLiteral("session_handle")).toString();
            created = response == PortalRequest::success && !session.isEmpty();
            closeSession(bus, session);
            loop.quit();
        },
        &loop);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return created;
}

GlobalHotkeyBackend::Outcome PortalGlobalShortcutsBackend::installHandler(Handler handler) {
    if (!bus_.isConnected())
        return {notConnected, {}};
    const quint64 token = nextToken_++;
    handlers_.append({token, std::move(handler)});
    return {noError, ScopedRegistration([this, token] {
                handlers_.removeIf([token](const auto& entry) { return entry.first == token; });
            })};
}

GlobalHotkeyBackend::Outcome PortalGlobalShortcutsBackend::registerHotkey(quint32 keyCode,
                                                                          quint32 carbonModifiers,
                                                                          HotkeyId id) {
    if (!bus_.isConnected())
        return {notConnected, {}};
    const std::optional<QString> trigger = XdgShortcutTrigger::fromHotkey(keyCode, carbonModifiers);
    if (!trigger)
        return {paramError, {}};

    auto binding = std::make_shared<Binding>();
    binding->token = nextToken_++;
    binding->id = id;
    binding->shortcutId = shortcutIdFor(id);
    binding->trigger = *trigger;
    binding->modifiers = carbonModifiers;
    binding->sessionToken = PortalRequest::newToken();
    bindings_.append(binding);
    createSession(*binding);

    const quint64 token = binding->token;
    Outcome outcome{noError, ScopedRegistration([this, token] { release(token); })};
    outcome.awaitingConfirmation = true;
    return outcome;
}

namespace {

QList<PortalShortcut> shortcutsOf(const QString& shortcutId, const QString& trigger) {
    //% "Dictate: hold to talk, press twice for hands-free"
    const QVariantMap properties{
        {QStringLiteral("description"), qtTrId("hotkey.portal.description")},
        {QStringLiteral("preferred_trigger"), trigger}};
    return {{shortcutId, properties}};
}

}  // namespace

void PortalGlobalShortcutsBackend::createSession(const Binding& binding) {
    // KDE binds a shortcut given in the creation options without asking; other desktops
    // ignore it and are asked through BindShortcuts once the list shows it missing.
    const QVariantMap options{
        {QStringLiteral("session_handle_token"), binding.sessionToken},
        {QStringLiteral("shortcuts"),
         QVariant::fromValue(shortcutsOf(binding.shortcutId, binding.trigger))}};
    const quint64 token = binding.token;
    PortalRequest::start(
        bus_, QLatin1String(shortcutsInterface), QStringLiteral("CreateSession"), {options},
        [this, token](uint response, const QVariantMap& results) {
            sessionCreated(token, response, results);
        },
        this);
}

// The portal went away with its sessions (restarted, or updated). A held hotkey is released,
// so no recording waits for a release that will never come, and each binding is made again;
// the call starts the portal anew.
void PortalGlobalShortcutsBackend::rebindAfterPortalLoss() {
    const auto bindingsNow = bindings_;
    for (const auto& binding : bindingsNow) {
        binding->session.clear();
        binding->bindAsked = false;
        if (binding->down) {
            binding->down = false;
            dispatch({binding->id, HotkeyEventKind::released});
        }
    }
    for (const auto& binding : bindings_)
        createSession(*binding);
}

void PortalGlobalShortcutsBackend::sessionCreated(quint64 token, uint response,
                                                  const QVariantMap& results) {
    const QString session = results.value(QStringLiteral("session_handle")).toString();
    const auto it = std::find_if(bindings_.begin(), bindings_.end(),
                                 [token](const auto& binding) { return binding->token == token; });
    if (it == bindings_.end()) {
        // Released while the portal was still making it.
        closeSession(bus_, session);
        return;
    }
    if (response != PortalRequest::success || session.isEmpty()) {
        refuse(token, portalRefused);
        return;
    }
    (*it)->session = session;
    // The trigger the desktop gave is what the list reports.
    PortalRequest::start(
        bus_, QLatin1String(shortcutsInterface), QStringLiteral("ListShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(session)), QVariantMap{}},
        [this, token](uint listed, const QVariantMap& list) {
            shortcutsListed(token, listed, list);
        },
        this);
}

void PortalGlobalShortcutsBackend::shortcutsListed(quint64 token, uint response,
                                                   const QVariantMap& results) {
    const auto it = std::find_if(bindings_.begin(), bindings_.end(),
                                 [token](const auto& binding) { return binding->token == token; });
    if (it == bindings_.end())
        return;
    if (response != PortalRequest::success) {
        refuse(token, portalRefused);
        return;
    }
    // Kept alive through the signals, whose receivers may release the registration.
    const std::shared_ptr<Binding> binding = *it;
    const QList<PortalShortcut> shortcuts =
        PortalShortcut::listFrom(results.value(QStringLiteral("shortcuts")));
    const bool listed = std::any_of(
        shortcuts.begin(), shortcuts.end(),
        [&](const PortalShortcut& shortcut) { return shortcut.id == binding->shortcutId; });
    if (!listed && !binding->bindAsked) {
        bindShortcut(*binding);
        return;
    }
    for (const PortalShortcut& shortcut : shortcuts) {
        if (shortcut.id != binding->shortcutId)
            continue;
        const QString description =
            shortcut.properties.value(QStringLiteral("trigger_description")).toString();
        if (description.isEmpty())
            break;
        if (binding->confirmed) {
            // Bound again after the portal came back: confirmed once already.
            if (description != binding->description) {
                binding->description = description;
                emit triggerChanged(description);
            }
            return;
        }
        binding->confirmed = true;
        binding->description = description;
        dispatch({binding->id, HotkeyEventKind::confirmed});
        return;
    }
    // Listed without a trigger: the desktop could not give it the one we asked for.
    const QString trigger = binding->trigger;
    refuse(token, hotKeyExistsError);
    emit triggerTaken(trigger);
}

// The standard way (GNOME): the desktop asks the user to confirm the shortcut, and its answer
// lists what was bound, as ListShortcuts does.
void PortalGlobalShortcutsBackend::bindShortcut(Binding& binding) {
    binding.bindAsked = true;
    const quint64 token = binding.token;
    PortalRequest::start(
        bus_, QLatin1String(shortcutsInterface), QStringLiteral("BindShortcuts"),
        {QVariant::fromValue(QDBusObjectPath(binding.session)),
         QVariant::fromValue(shortcutsOf(binding.shortcutId, binding.trigger)), QString(),
         QVariantMap{}},
        [this, token](uint response, const QVariantMap& results) {
            shortcutsListed(token, response, results);
        },
        this);
}

void PortalGlobalShortcutsBackend::refuse(quint64 token, int status) {
    const auto it = std::find_if(bindings_.begin(), bindings_.end(),
                                 [token](const auto& binding) { return binding->token == token; });
    if (it == bindings_.end())
        return;
    const HotkeyId id = (*it)->id;
    closeSession(bus_, (*it)->session);
    bindings_.erase(it);
    dispatch({id, HotkeyEventKind::refused, status});
}

void PortalGlobalShortcutsBackend::release(quint64 token) {
    const auto it = std::find_if(bindings_.begin(), bindings_.end(),
                                 [token](const auto& binding) { return binding->token == token; });
    if (it == bindings_.end())
        return;
    closeSession(bus_, (*it)->session);
    bindings_.erase(it);
}

PortalGlobalShortcutsBackend::Binding* PortalGlobalShortcutsBackend::bindingFor(
    const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2)
        return nullptr;
    const QString session = arguments.at(0).value<QDBusObjectPath>().path();
    const QString shortcutId = arguments.at(1).toString();
    for (const auto& binding : bindings_) {
        if (binding->session == session && binding->shortcutId == shortcutId)
            return binding.get();
    }
    return nullptr;
}

void PortalGlobalShortcutsBackend::onActivated(const QDBusMessage& message) {
    Binding* binding = bindingFor(message);
    // Held keys repeat Activated; the press is the first one.
    if (!binding || binding->down)
        return;
    binding->down = true;
    dispatch({binding->id, HotkeyEventKind::pressed});
}

void PortalGlobalShortcutsBackend::onDeactivated(const QDBusMessage& message) {
    Binding* binding = bindingFor(message);
    if (!binding || !binding->down)
        return;
    binding->down = false;
    dispatch({binding->id, HotkeyEventKind::released});
}

void PortalGlobalShortcutsBackend::onShortcutsChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    const QString session = arguments.at(0).value<QDBusObjectPath>().path();
    const QList<PortalShortcut> shortcuts = PortalShortcut::listFrom(arguments.at(1));
    for (const auto& binding : bindings_) {
        if (binding->session != session)
            continue;
        for (const PortalShortcut& shortcut : shortcuts) {
            if (shortcut.id != binding->shortcutId)
                continue;
            const QString description =
                shortcut.properties.value(QStringLiteral("trigger_description")).toString();
            if (description == binding->description)
                continue;
            binding->description = description;
            emit triggerChanged(description);
        }
    }
}

quint32 PortalGlobalShortcutsBackend::heldModifiers() const {
    quint32 modifiers = 0;
    for (const auto& binding : bindings_) {
        if (binding->down)
            modifiers |= binding->modifiers;
    }
    return modifiers;
}

QString PortalGlobalShortcutsBackend::triggerDescription() const {
    for (const auto& binding : bindings_) {
        if (binding->confirmed)
            return binding->description;
    }
    return {};
}

void PortalGlobalShortcutsBackend::dispatch(const HotkeyEvent& event) {
    const auto handlersNow = handlers_;
    for (const auto& entry : handlersNow) {
        if (entry.second(event))
            return;
    }
}
