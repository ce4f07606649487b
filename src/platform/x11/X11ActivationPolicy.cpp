#include "platform/x11/X11ActivationPolicy.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/xcb.h>

#include <vector>

namespace {

xcb_connection_t* qtConnection() {
    // Qt's own connection: the state must reach the server before Qt maps the window, which
    // only requests on the same connection guarantee.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const auto cookie = xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return result;
}

bool wantsTaskbarHandling(const QWindow* window) {
    const Qt::WindowType type = window->type();
    return window->isTopLevel() && type != Qt::Popup && type != Qt::ToolTip &&
           type != Qt::SplashScreen && type != Qt::Desktop;
}

}  // namespace

X11ActivationPolicy::X11ActivationPolicy(Policy initial, QObject* parent)
    : QObject(parent), policy_(initial) {
    qGuiApp->installEventFilter(this);
}

X11ActivationPolicy::~X11ActivationPolicy() {
    if (qGuiApp) qGuiApp->removeEventFilter(this);
}

void X11ActivationPolicy::setPolicy(Policy policy) {
    policy_ = policy;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->handle() && wantsTaskbarHandling(window)) apply(window, window->isVisible());
    }
}

bool X11ActivationPolicy::eventFilter(QObject* watched, QEvent* event) {
    // A window manager drops the states when a window is withdrawn: set them again before
    // every map. QWindow announces Show before it asks the platform to map the window.
    if (event->type() == QEvent::Show) {
        if (auto* window = qobject_cast<QWindow*>(watched)) {
            if (window->handle() && wantsTaskbarHandling(window)) apply(window, false);
        }
    }
    return QObject::eventFilter(watched, event);
}

void X11ActivationPolicy::apply(QWindow* window, bool mapped) const {
    xcb_connection_t* connection = qtConnection();
    if (!connection) return;
    const auto id = xcb_window_t(window->winId());
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    const xcb_atom_t skipPager = atom(connection, "_NET_WM_STATE_SKIP_PAGER");
    if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE || skipPager == XCB_ATOM_NONE) {
        return;
    }
    const bool skip = policy_ == Policy::accessory;

    if (mapped) {
        // A mapped window's state belongs to the window manager: ask it (EWMH client message).
        const xcb_window_t root = window->screen()
                                      ? xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root
                                      : xcb_window_t(XCB_WINDOW_NONE);
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = id;
        message.type = state;
        message.data.data32[0] = skip ? 1 : 0;  // _NET_WM_STATE_ADD or _REMOVE
        message.data.data32[1] = skipTaskbar;
        message.data.data32[2] = skipPager;
        message.data.data32[3] = 1;  // from a normal application
        xcb_send_event(connection, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
    }
    // An unmapped window carries the property itself; Qt merges it with its own states when
    // it maps the window. Kept up to date for mapped windows too, for the next map.
    const auto cookie = xcb_get_property(connection, 0, id, state, XCB_ATOM_ATOM, 0, 64);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    std::vector<xcb_atom_t> atoms;
    if (reply && reply->format == 32) {
        const auto* values = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / int(sizeof(xcb_atom_t));
        for (int i = 0; i < count; ++i) {
            if (values[i] != skipTaskbar && values[i] != skipPager) atoms.push_back(values[i]);
        }
    }
    free(reply);
    if (skip) {
        atoms.push_back(skipTaskbar);
        atoms.push_back(skipPager);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                        uint32_t(atoms.size()), atoms.data());
    xcb_flush(connection);
}
