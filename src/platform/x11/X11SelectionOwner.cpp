#include "platform/x11/X11SelectionOwner.h"

#include "platform/x11/X11AtomNames.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

// A requestor that stops fetching increments is given up after this.
constexpr std::chrono::seconds kTransferTimeout{10};

using Clock = std::chrono::steady_clock;

}  // namespace

struct X11SelectionOwner::Transfer {
    xcb_window_t requestor;
    xcb_atom_t property;
    xcb_atom_t type;
    QByteArray bytes;
    qsizetype sent;
    bool text;
    Clock::time_point lastActivity;
};

X11SelectionOwner::X11SelectionOwner(xcb_connection_t* connection, xcb_window_t window,
                                     xcb_atom_t selection, X11AtomNames& atoms)
    : connection_(connection), window_(window), selection_(selection), atoms_(atoms) {}

X11SelectionOwner::~X11SelectionOwner() = default;

bool X11SelectionOwner::take(const Pasteboard::Contents& contents,
                             const QList<QString>& textFormats, std::function<void()> fetched,
                             xcb_timestamp_t time) {
    contents_ = contents;
    textFormats_ = textFormats;
    fetched_ = std::move(fetched);
    xcb_set_selection_owner(connection_, window_, selection_, time);
    xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
        connection_, xcb_get_selection_owner(connection_, selection_), nullptr);
    owning_ = owner != nullptr && owner->owner == window_;
    std::free(owner);
    ownedSince_ = time;
    return owning_;
}

void X11SelectionOwner::handleClear(const xcb_selection_clear_event_t& clear) {
    if (clear.selection == selection_ && clear.owner == window_ && clear.time >= ownedSince_) {
        owning_ = false;
        contents_.clear();
        fetched_ = {};
    }
}

void X11SelectionOwner::handleRequest(const xcb_selection_request_event_t& request) {
    dropStaleTransfers();
    // Obsolete requestors name no property: the target's name is used instead.
    const xcb_atom_t property =
        request.property != XCB_ATOM_NONE ? request.property : request.target;
    const bool served = owning_ &&
                        (request.time == XCB_CURRENT_TIME || request.time >= ownedSince_) &&
                        serve(request, property);
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = served ? property : xcb_atom_t{XCB_ATOM_NONE};
    xcb_send_event(connection_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&notify));
    xcb_flush(connection_);
    // Told only once the text is on its way: a restore that overtook the notice would leave
    // the requestor reading a selection we no longer hold.
    if (std::exchange(textSent_, false) && fetched_) {
        fetched_();
    }
}

bool X11SelectionOwner::serve(const xcb_selection_request_event_t& request, xcb_atom_t property) {
    const xcb_atom_t targets = atoms_.atom(QStringLiteral("TARGETS"));
    const xcb_atom_t timestamp = atoms_.atom(QStringLiteral("TIMESTAMP"));
    if (request.target == targets) {
        QList<xcb_atom_t> offered{targets, timestamp};
        for (const Pasteboard::Format& format : std::as_const(contents_)) {
            offered.append(atoms_.atom(format.first));
        }
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                            XCB_ATOM_ATOM, 32, offered.size(), offered.constData());
        return true;
    }
    if (request.target == timestamp) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                            XCB_ATOM_INTEGER, 32, 1, &ownedSince_);
        return true;
    }
    const QList<QString> names = atoms_.names({request.target});
    const auto format =
        std::find_if(contents_.cbegin(), contents_.cend(),
                     [&](const Pasteboard::Format& f) { return f.first == names[0]; });
    if (names[0].isEmpty() || format == contents_.cend()) {
        return false;  // MULTIPLE among them: no requestor we know of needs it
    }
    // TEXT asks the owner to choose an encoding; everything else comes as it was named.
    const xcb_atom_t type = names[0] == QLatin1String("TEXT")
                                ? atoms_.atom(QStringLiteral("UTF8_STRING"))
                                : request.target;
    const bool text = textFormats_.contains(names[0]);
    if (format->second.size() <= kIncrementSize) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property, type,
                            8, format->second.size(), format->second.constData());
        textSent_ = text;
        return true;
    }
    const quint32 size = static_cast<quint32>(format->second.size());
    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_, request.requestor, XCB_CW_EVENT_MASK, &mask);
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                        atoms_.atom(QStringLiteral("INCR")), 32, 1, &size);
    transfers_.append({request.requestor, property, type, format->second, 0, text, Clock::now()});
    return true;
}

bool X11SelectionOwner::handlePropertyDeleted(const xcb_property_notify_event_t& event) {
    if (event.state != XCB_PROPERTY_DELETE) {
        return false;
    }
    const auto transfer = std::find_if(
        transfers_.begin(), transfers_.end(),
        [&](const Transfer& t) { return t.requestor == event.window && t.property == event.atom; });
    if (transfer == transfers_.end()) {
        return false;
    }
    sendIncrement(*transfer);
    return true;
}

void X11SelectionOwner::sendIncrement(Transfer& transfer) {
    const qsizetype length =
        std::min<qsizetype>(kIncrementSize, transfer.bytes.size() - transfer.sent);
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, transfer.requestor, transfer.property,
                        transfer.type, 8, length, transfer.bytes.constData() + transfer.sent);
    transfer.sent += length;
    transfer.lastActivity = Clock::now();
    if (length == 0) {  // the empty increment ends the transfer
        const quint32 noEvents = XCB_EVENT_MASK_NO_EVENT;
        xcb_change_window_attributes(connection_, transfer.requestor, XCB_CW_EVENT_MASK, &noEvents);
        const bool text = transfer.text;
        transfers_.removeIf([&](const Transfer& t) { return &t == &transfer; });
        xcb_flush(connection_);
        if (text && fetched_) {
            fetched_();
        }
        return;
    }
    xcb_flush(connection_);
}

void X11SelectionOwner::dropStaleTransfers() {
    const Clock::time_point now = Clock::now();
    transfers_.removeIf(
        [now](const Transfer& t) { return now - t.lastActivity > kTransferTimeout; });
}
