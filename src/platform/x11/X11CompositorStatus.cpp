#include "platform/x11/X11CompositorStatus.h"

#include <QByteArray>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeDeleter>;

}  // namespace

X11CompositorStatus::X11CompositorStatus() {
    int screen = 0;
    connection_ = xcb_connect(nullptr, &screen);
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        return;
    }
    // The compositing manager of screen n owns the selection _NET_WM_CM_Sn (EWMH).
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    const auto cookie =
        xcb_intern_atom(connection_, 0, static_cast<uint16_t>(name.size()), name.constData());
    ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection_, cookie, nullptr));
    if (reply) {
        selectionAtom_ = reply->atom;
    }
}

X11CompositorStatus::~X11CompositorStatus() {
    if (connection_) {
        xcb_disconnect(connection_);
    }
}

bool X11CompositorStatus::isCompositing() const {
    if (!connection_ || selectionAtom_ == XCB_ATOM_NONE || xcb_connection_has_error(connection_)) {
        return false;
    }
    // Asked afresh each time: a compositor may start or stop while the application runs.
    const auto cookie = xcb_get_selection_owner(connection_, selectionAtom_);
    ReplyPtr<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(connection_, cookie, nullptr));
    return reply && reply->owner != XCB_WINDOW_NONE;
}
