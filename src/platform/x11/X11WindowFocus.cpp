#include <QElapsedTimer>

#include "platform/x11/X11WindowFocus.h"

#include "platform/x11/X11Connection.h"

#include <qcoro/qcorotimer.h>

#include <cstdlib>
#include <cstring>

namespace {

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeDeleter>;

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const auto cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    const ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// A WINDOW-typed property holding one window; none when unset or zero.
std::optional<xcb_window_t> windowProperty(xcb_connection_t* connection, xcb_window_t window,
                                           xcb_atom_t property) {
    const auto cookie = xcb_get_property(connection, 0, window, property, XCB_ATOM_WINDOW, 0, 1);
    const ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(connection, cookie, nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
        return std::nullopt;
    }
    const auto value = *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
    return value == XCB_WINDOW_NONE ? std::nullopt : std::optional(value);
}

constexpr std::chrono::milliseconds pollInterval{10};

}  // namespace

X11WindowFocus::X11WindowFocus(const QByteArray& displayName)
    : connection_(std::make_unique<X11Connection>(displayName)) {
    if (!connection_->isValid()) {
        return;
    }
    activeWindowAtom_ = internAtom(connection_->get(), "_NET_ACTIVE_WINDOW");
    supportingWmCheckAtom_ = internAtom(connection_->get(), "_NET_SUPPORTING_WM_CHECK");
}

X11WindowFocus::~X11WindowFocus() = default;

std::optional<WindowFocus::WindowId> X11WindowFocus::focusedWindow() {
    if (!connection_->isValid()) {
        return std::nullopt;
    }
    return windowManagerTracksActiveWindow() ? activeWindowProperty() : inputFocus();
}

QCoro::Task<bool> X11WindowFocus::focus(WindowId window) {
    if (!connection_->isValid() || !exists(window)) {
        co_return false;
    }
    requestFocus(window);
    QElapsedTimer waited;
    waited.start();
    while (focusedWindow() != window) {
        if (waited.elapsed() >= focusBudget.count() || !exists(window)) {
            co_return false;
        }
        co_await QCoro::sleepFor(pollInterval);
    }
    co_return true;
}

// A window manager that follows the EWMH names its check window on the root, and that
// window names itself again.
bool X11WindowFocus::windowManagerTracksActiveWindow() {
    xcb_connection_t* connection = connection_->get();
    const auto check = windowProperty(connection, connection_->root(), supportingWmCheckAtom_);
    return check && windowProperty(connection, *check, supportingWmCheckAtom_) == check;
}

std::optional<WindowFocus::WindowId> X11WindowFocus::activeWindowProperty() {
    return windowProperty(connection_->get(), connection_->root(), activeWindowAtom_);
}

std::optional<WindowFocus::WindowId> X11WindowFocus::inputFocus() {
    xcb_connection_t* connection = connection_->get();
    const ReplyPtr<xcb_get_input_focus_reply_t> reply(
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    // None and PointerRoot are no window of an application.
    if (!reply || reply->focus == XCB_WINDOW_NONE || reply->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
        reply->focus == connection_->root()) {
        return std::nullopt;
    }
    return reply->focus;
}

bool X11WindowFocus::exists(WindowId window) {
    xcb_connection_t* connection = connection_->get();
    const auto cookie = xcb_get_window_attributes(connection, static_cast<xcb_window_t>(window));
    xcb_generic_error_t* error = nullptr;
    const ReplyPtr<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(connection, cookie, &error));
    std::free(error);
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

void X11WindowFocus::requestFocus(WindowId window) {
    xcb_connection_t* connection = connection_->get();
    const auto target = static_cast<xcb_window_t>(window);
    if (windowManagerTracksActiveWindow()) {
        // Source 2, a pager: the window manager obeys instead of only marking the window.
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = target;
        message.type = activeWindowAtom_;
        message.data.data32[0] = 2;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(connection, 0, connection_->root(),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
    } else {
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, target, XCB_CURRENT_TIME);
    }
    xcb_flush(connection);
}
