#include "support/X11TestClient.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

struct X11TestClient::Private {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
};

X11TestClient::X11TestClient(const QByteArray& displayName) : d(std::make_unique<Private>()) {
    d->connection = xcb_connect(displayName.isEmpty() ? nullptr : displayName.constData(), nullptr);
    if (xcb_connection_has_error(d->connection)) {
        xcb_disconnect(d->connection);
        d->connection = nullptr;
        return;
    }
    d->root = xcb_setup_roots_iterator(xcb_get_setup(d->connection)).data->root;
}

X11TestClient::~X11TestClient() {
    if (d->connection) xcb_disconnect(d->connection);
}

bool X11TestClient::isConnected() const { return d->connection != nullptr; }

void X11TestClient::sync() {
    std::free(xcb_get_input_focus_reply(d->connection, xcb_get_input_focus(d->connection), nullptr));
}

void X11TestClient::press(quint8 xKeyCode) {
    xcb_test_fake_input(d->connection, XCB_KEY_PRESS, xKeyCode, XCB_CURRENT_TIME, d->root, 0, 0, 0);
    sync();
}

void X11TestClient::release(quint8 xKeyCode) {
    xcb_test_fake_input(d->connection, XCB_KEY_RELEASE, xKeyCode, XCB_CURRENT_TIME, d->root, 0, 0, 0);
    sync();
}

bool X11TestClient::grabKey(quint8 xKeyCode, quint16 xModifiers) {
    xcb_generic_error_t* error = xcb_request_check(
        d->connection, xcb_grab_key_checked(d->connection, 0, d->root, xModifiers, xKeyCode,
                                            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
}

void X11TestClient::ungrabKey(quint8 xKeyCode, quint16 xModifiers) {
    xcb_ungrab_key(d->connection, xKeyCode, d->root, xModifiers);
    sync();
}
