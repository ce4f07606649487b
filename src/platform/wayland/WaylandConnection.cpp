#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>

#include "platform/wayland/WaylandConnection.h"

#include "base/Log.h"

#include <cerrno>
#include <cstring>

#include <wayland-client.h>

WaylandConnection::WaylandConnection(const QByteArray& socket) {
    display_ = wl_display_connect(socket.isEmpty() ? nullptr : socket.constData());
    if (!display_)
        return;
    static const wl_registry_listener listener = {&WaylandConnection::onGlobal,
                                                  &WaylandConnection::onGlobalRemove};
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &listener, this);
    if (wl_display_roundtrip(display_) < 0)
        broken_ = true;
}

WaylandConnection::~WaylandConnection() {
    notifier_.reset();
    if (seat_)
        wl_seat_destroy(seat_);
    if (registry_)
        wl_registry_destroy(registry_);
    if (display_)
        wl_display_disconnect(display_);
}

bool WaylandConnection::isValid() const {
    return display_ != nullptr && !broken_;
}

void WaylandConnection::onGlobal(void* data, wl_registry*, quint32 name, const char* interface,
                                 quint32 version) {
    static_cast<WaylandConnection*>(data)->globals_.append({name, QByteArray(interface), version});
}

void WaylandConnection::onGlobalRemove(void* data, wl_registry*, quint32 name) {
    static_cast<WaylandConnection*>(data)->globals_.removeIf(
        [name](const Global& global) { return global.name == name; });
}

bool WaylandConnection::hasGlobal(const char* interface) const {
    for (const Global& global : globals_) {
        if (global.interface == interface)
            return true;
    }
    return false;
}

void* WaylandConnection::bind(const wl_interface* interface, quint32 maxVersion) const {
    if (!isValid())
        return nullptr;
    for (const Global& global : globals_) {
        if (global.interface == interface->name) {
            return wl_registry_bind(registry_, global.name, interface,
                                    qMin(global.version, maxVersion));
        }
    }
    return nullptr;
}

wl_seat* WaylandConnection::seat() {
    if (!seat_)
        seat_ = static_cast<wl_seat*>(bind(&wl_seat_interface, 1));
    return seat_;
}

bool WaylandConnection::roundtrip() {
    if (!isValid())
        return false;
    if (wl_display_roundtrip(display_) < 0)
        checkError();
    return isValid();
}

void WaylandConnection::flush() {
    if (isValid() && wl_display_flush(display_) < 0 && errno != EAGAIN)
        checkError();
}

void WaylandConnection::watch() {
    if (!isValid() || notifier_)
        return;
    notifier_ =
        std::make_unique<QSocketNotifier>(wl_display_get_fd(display_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { readAndDispatch(); });
    if (auto* dispatcher = QCoreApplication::eventDispatcher()) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, notifier_.get(),
                         [this] {
                             dispatchPending();
                             flush();
                         });
    }
}

void WaylandConnection::dispatchPending() {
    if (isValid() && wl_display_dispatch_pending(display_) < 0)
        checkError();
}

void WaylandConnection::readAndDispatch() {
    if (!isValid())
        return;
    // The notifier said the socket is readable, so the read inside does not wait.
    if (wl_display_dispatch(display_) < 0)
        checkError();
}

void WaylandConnection::checkError() {
    const int error = wl_display_get_error(display_);
    if (error == 0 || broken_)
        return;
    broken_ = true;
    // A broken connection stays readable for ever: stop listening instead of spinning.
    if (notifier_)
        notifier_->setEnabled(false);
    Log::line(QStringLiteral("[Quillo] Wayland connection lost: %1")
                  .arg(QString::fromLocal8Bit(std::strerror(error))));
}
