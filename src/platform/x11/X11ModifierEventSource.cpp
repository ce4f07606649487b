#include <QList>
#include <QSet>

#include "platform/x11/X11ModifierEventSource.h"

#include "platform/x11/WaylandSessionNotice.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyCodes.h"

#include <xcb/xinput.h>

#include <cstdlib>

struct X11ModifierEventSource::Private {
    explicit Private(const QByteArray& displayName) : connection(displayName) {}

    X11Connection connection;
    ScopedRegistration watching;
    bool xinputReady = false;
    quint8 xinputOpcode = 0;
    bool selected = false;
    xcb_atom_t xtestProperty = XCB_ATOM_NONE;
    // Slave devices that carry XTest input: our own paste chord, xdotool and the like.
    QSet<quint16> xtestDevices;
    QSet<quint8> modifiersDown;
    quint64 nextToken = 1;
    QList<std::pair<quint64, Handler>> subscribers;

    bool setUp();
    bool select(bool on);
    void findXTestDevices();
    bool isXTestDevice(quint16 deviceId);
    QSet<quint8> queryModifiersDown();
    bool isXKeyDown(quint8 keyCode);
    quint64 flags() const;
    void onEvent(const xcb_generic_event_t& event);
};

bool X11ModifierEventSource::Private::setUp() {
    xcb_connection_t* c = connection.get();
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_input_id);
    if (!extension || !extension->present) return false;
    xinputOpcode = extension->major_opcode;
    auto* version = xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr);
    const bool ok = version && version->major_version >= 2;
    std::free(version);
    static constexpr char name[] = "XTEST Device";
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof(name) - 1, name), nullptr);
    if (atom)
        xtestProperty = atom->atom;
    std::free(atom);
    return ok;
}

bool X11ModifierEventSource::Private::isXTestDevice(quint16 deviceId) {
    if (xtestProperty == XCB_ATOM_NONE)
        return false;
    xcb_connection_t* c = connection.get();
    auto* property = xcb_input_xi_get_property_reply(
        c, xcb_input_xi_get_property(c, deviceId, 0, xtestProperty, XCB_ATOM_ANY, 0, 1), nullptr);
    const bool present = property && property->type != XCB_ATOM_NONE;
    std::free(property);
    return present;
}

// The server marks each XTest slave device with a property: synthetic input, ours
// included, comes from one of them, a user's keys from the keyboard's own device.
void X11ModifierEventSource::Private::findXTestDevices() {
    xcb_connection_t* c = connection.get();
    xtestDevices.clear();
    auto* devices = xcb_input_xi_query_device_reply(
        c, xcb_input_xi_query_device(c, XCB_INPUT_DEVICE_ALL), nullptr);
    if (!devices)
        return;
    for (auto it = xcb_input_xi_query_device_infos_iterator(devices); it.rem;
         xcb_input_xi_device_info_next(&it)) {
        const bool slave = it.data->type == XCB_INPUT_DEVICE_TYPE_SLAVE_KEYBOARD ||
                           it.data->type == XCB_INPUT_DEVICE_TYPE_FLOATING_SLAVE;
        if (slave && isXTestDevice(it.data->deviceid))
            xtestDevices.insert(it.data->deviceid);
    }
    std::free(devices);
}

bool X11ModifierEventSource::Private::select(bool on) {
    struct Mask {
        xcb_input_event_mask_t head;
        quint32 bits;
    };
    // Raw keys of the master devices (each press once, whichever slave made it), and
    // device changes, which may add or remove an XTest device.
    Mask masks[2]{};
    masks[0].head = {XCB_INPUT_DEVICE_ALL_MASTER, 1};
    masks[0].bits =
        on ? (XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE) : 0;
    masks[1].head = {XCB_INPUT_DEVICE_ALL, 1};
    masks[1].bits = on ? XCB_INPUT_XI_EVENT_MASK_HIERARCHY : 0;
    xcb_generic_error_t* error = xcb_request_check(
        connection.get(),
        xcb_input_xi_select_events_checked(connection.get(), connection.root(), 2, &masks[0].head));
    std::free(error);
    selected = on && !error;
    connection.dispatchPending();
    return !error;
}

QSet<quint8> X11ModifierEventSource::Private::queryModifiersDown() {
    QSet<quint8> down;
    auto* keymap = xcb_query_keymap_reply(connection.get(), xcb_query_keymap(connection.get()), nullptr);
    if (!keymap) return down;
    for (int code = 8; code < 256; ++code) {
        const bool isDown = keymap->keys[code / 8] & (1 << (code % 8));
        if (isDown && X11KeyCodes::modifierFlagForX(quint8(code))) down.insert(quint8(code));
    }
    std::free(keymap);
    return down;
}

bool X11ModifierEventSource::Private::isXKeyDown(quint8 keyCode) {
    auto* keymap = xcb_query_keymap_reply(connection.get(), xcb_query_keymap(connection.get()), nullptr);
    const bool down = keymap && (keymap->keys[keyCode / 8] & (1 << (keyCode % 8)));
    std::free(keymap);
    connection.dispatchPending();
    return down;
}

quint64 X11ModifierEventSource::Private::flags() const {
    quint64 result = 0;
    for (quint8 code : modifiersDown) result |= X11KeyCodes::modifierFlagForX(code);
    return result;
}

void X11ModifierEventSource::Private::onEvent(const xcb_generic_event_t& event) {
    if ((event.response_type & 0x7f) != XCB_GE_GENERIC) return;
    const auto& generic = reinterpret_cast<const xcb_ge_generic_event_t&>(event);
    if (generic.extension != xinputOpcode) return;
    if (generic.event_type == XCB_INPUT_HIERARCHY) {
        findXTestDevices();
        return;
    }
    const bool press = generic.event_type == XCB_INPUT_RAW_KEY_PRESS;
    if (!press && generic.event_type != XCB_INPUT_RAW_KEY_RELEASE) return;

    const auto& raw = reinterpret_cast<const xcb_input_raw_key_press_event_t&>(event);
    const quint8 keyCode = quint8(raw.detail);
    if (!X11KeyCodes::modifierFlagForX(keyCode)) return;
    // Synthetic keys are no user's press: our own paste chord would otherwise start a
    // dictation with a lone Control or Shift hotkey, or end a press the user still holds.
    if (xtestDevices.contains(raw.sourceid))
        return;
    // Repeats and presses seen twice change nothing.
    const bool changed = press ? !modifiersDown.contains(keyCode) : modifiersDown.contains(keyCode);
    if (!changed) return;
    if (press) {
        modifiersDown.insert(keyCode);
    } else {
        modifiersDown.remove(keyCode);
    }
    const ModifierChange change{X11KeyCodes::fromX(keyCode).value_or(-1), flags()};
    const auto subscribersNow = subscribers;
    for (const auto& entry : subscribersNow) entry.second(change);
}

X11ModifierEventSource::X11ModifierEventSource(const QByteArray& displayName)
    : d(std::make_unique<Private>(displayName)) {
    WaylandSessionNotice::logOnce();
    if (!d->connection.isValid()) return;
    d->xinputReady = d->setUp();
    d->watching =
        d->connection.watch([this](const xcb_generic_event_t& event) { d->onEvent(event); });
}

X11ModifierEventSource::~X11ModifierEventSource() = default;

ScopedRegistration X11ModifierEventSource::subscribe(Handler handler) {
    if (!d->xinputReady) return {};
    if (!d->selected) {
        if (!d->select(true)) return {};
        d->findXTestDevices();
        // Modifiers already held when the watch begins count as down.
        d->modifiersDown = d->queryModifiersDown();
    }
    const quint64 token = d->nextToken++;
    d->subscribers.append({token, std::move(handler)});
    Private* p = d.get();
    return ScopedRegistration([p, token] {
        p->subscribers.removeIf([token](const auto& entry) { return entry.first == token; });
        if (p->subscribers.isEmpty() && p->selected) p->select(false);
    });
}

bool X11ModifierEventSource::isKeyDown(int keyCode) {
    const auto xKeyCode = X11KeyCodes::toX(keyCode);
    if (!xKeyCode || !d->connection.isValid()) return false;
    return d->isXKeyDown(*xKeyCode);
}

bool X11ModifierEventSource::canReport(int keyCode) const {
    return X11KeyCodes::toX(keyCode).has_value();
}
