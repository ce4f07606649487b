#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include "support/NestedXServer.h"

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

namespace {

constexpr int startTimeoutMs = 30000;

int freeDisplayNumber() {
    int number = 150;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) ||
           QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))) {
        ++number;
    }
    return number;
}

void sync(xcb_connection_t* connection) {
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

}  // namespace

struct NestedXServer::Private {
    QProcess process;
    QByteArray name;
    xcb_connection_t* host = nullptr;
    xcb_window_t window = 0;

    bool waitForServer();
    xcb_window_t findWindow() const;
    void focusWindow();
};

bool NestedXServer::Private::waitForServer() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < startTimeoutMs && process.state() != QProcess::NotRunning) {
        xcb_connection_t* probe = xcb_connect(name.constData(), nullptr);
        const bool answers = !xcb_connection_has_error(probe);
        xcb_disconnect(probe);
        if (answers)
            return true;
        process.waitForFinished(50);
    }
    return false;
}

// The top-level window on the host whose client is the nested server: it is the only
// window the nested server maps, named "Xephyr on :N...".
xcb_window_t NestedXServer::Private::findWindow() const {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(host)).data->root;
    auto* tree = xcb_query_tree_reply(host, xcb_query_tree(host, root), nullptr);
    if (!tree)
        return 0;
    xcb_window_t found = 0;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    const QByteArray prefix = "Xephyr on " + name;
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        auto* title = xcb_get_property_reply(
            host, xcb_get_property(host, 0, children[i], XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256),
            nullptr);
        if (title) {
            const QByteArray text(static_cast<const char*>(xcb_get_property_value(title)),
                                  xcb_get_property_value_length(title));
            if (text.startsWith(prefix))
                found = children[i];
        }
        std::free(title);
    }
    std::free(tree);
    return found;
}

void NestedXServer::Private::focusWindow() {
    auto* focus = xcb_get_input_focus_reply(host, xcb_get_input_focus(host), nullptr);
    const bool focused = focus && focus->focus == window;
    std::free(focus);
    if (focused)
        return;
    const quint32 above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(host, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_set_input_focus(host, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    sync(host);
}

NestedXServer::NestedXServer() : d(std::make_unique<Private>()) {
    d->name = ":" + QByteArray::number(freeDisplayNumber());
    d->process.setProcessChannelMode(QProcess::MergedChannels);
    d->process.start(
        QStringLiteral("Xephyr"),
        {QString::fromLatin1(d->name), QStringLiteral("-screen"), QStringLiteral("320x240"),
         QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
    if (!d->process.waitForStarted(startTimeoutMs) || !d->waitForServer())
        return;
    d->host = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(d->host))
        return;
    QElapsedTimer clock;
    clock.start();
    while (!(d->window = d->findWindow()) && clock.elapsed() < startTimeoutMs) {
        QThread::msleep(20);
    }
    if (d->window)
        d->focusWindow();
}

NestedXServer::~NestedXServer() {
    if (d->host)
        xcb_disconnect(d->host);
    if (d->process.state() != QProcess::NotRunning) {
        d->process.terminate();
        if (!d->process.waitForFinished(5000))
            d->process.kill();
        d->process.waitForFinished(5000);
    }
}

bool NestedXServer::isRunning() const {
    return d->process.state() == QProcess::Running && d->host && d->window;
}

QByteArray NestedXServer::displayName() const {
    return d->name;
}

void NestedXServer::press(quint8 xKeyCode) {
    // The host's focus may have moved to a window of the test since the last key.
    d->focusWindow();
    xcb_test_fake_input(d->host, XCB_KEY_PRESS, xKeyCode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    sync(d->host);
}

void NestedXServer::release(quint8 xKeyCode) {
    xcb_test_fake_input(d->host, XCB_KEY_RELEASE, xKeyCode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    sync(d->host);
}

QByteArray NestedXServer::output() const { return d->process.readAll(); }
