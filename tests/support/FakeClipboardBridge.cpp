#include "support/FakeClipboardBridge.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace {

const QByteArray kText = QByteArrayLiteral("text/plain;charset=utf-8");

}  // namespace

struct FakeClipboardBridge::Private {
    enum class Stage { Idle, Targets, Format, Paste };

    xcb_connection_t* c = nullptr;
    xcb_window_t window = 0;
    xcb_window_t knownOwner = XCB_WINDOW_NONE;
    std::chrono::milliseconds readDelay;
    std::chrono::milliseconds incrementPause{0};
    std::unique_ptr<QSocketNotifier> notifier;
    quint8 xfixesEvent = 0;
    QTimer readTimer;
    Stage stage = Stage::Idle;
    bool pasteWaiting = false;
    bool incremental = false;
    QByteArray offered;  // what the last owner read gave, as mutter keeps it for Wayland
    QByteArray incoming;
    QList<QByteArray> pasted;
    QList<QString> reads;
    std::function<void()> onPasted;

    xcb_atom_t atom(const QByteArray& name) {
        auto* reply = xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, quint16(name.size()), name.constData()), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    }
    xcb_window_t owner() {
        auto* reply = xcb_get_selection_owner_reply(
            c, xcb_get_selection_owner(c, atom("CLIPBOARD")), nullptr);
        const xcb_window_t value = reply ? reply->owner : xcb_window_t(XCB_WINDOW_NONE);
        std::free(reply);
        return value;
    }
    void request(const QByteArray& target) {
        xcb_delete_property(c, window, atom("META_SELECTION"));
        xcb_convert_selection(c, window, atom("CLIPBOARD"), atom(target), atom("META_SELECTION"),
                              XCB_CURRENT_TIME);
        xcb_flush(c);
    }
    void onNewOwner(const xcb_xfixes_selection_notify_event_t& event) {
        knownOwner = event.owner;
        if (event.owner != XCB_WINDOW_NONE)
            readTimer.start(readDelay);
    }
    void startRead() {
        if (stage != Stage::Idle) {  // busy: look again shortly
            readTimer.start(1);
            return;
        }
        stage = Stage::Targets;
        request("TARGETS");
    }
    void startPaste() {
        // Until mutter has read the new owner's formats, Wayland gets what it read before.
        if (readTimer.isActive() || stage == Stage::Targets) {
            pasted.append(offered);
            if (onPasted)
                onPasted();
            return;
        }
        if (stage != Stage::Idle) {
            pasteWaiting = true;
            return;
        }
        stage = Stage::Paste;
        request(kText);
    }
    QByteArray takeProperty(xcb_atom_t* type) {
        auto* reply =
            xcb_get_property_reply(c,
                                   xcb_get_property(c, 1, window, atom("META_SELECTION"),
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 24),
                                   nullptr);
        QByteArray bytes;
        if (reply) {
            *type = reply->type;
            bytes = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
            std::free(reply);
        }
        xcb_flush(c);
        return bytes;
    }
    void finish(const QByteArray& bytes) {
        const Stage was = std::exchange(stage, Stage::Idle);
        if (was == Stage::Format) {
            offered = bytes;
        } else if (was == Stage::Paste) {
            pasted.append(bytes);
            if (onPasted)
                onPasted();
        }
        if (std::exchange(pasteWaiting, false))
            startPaste();
    }
    void onNotify(const xcb_selection_notify_event_t& notify) {
        if (notify.property == XCB_ATOM_NONE) {
            finish({});
            return;
        }
        xcb_atom_t type = XCB_ATOM_NONE;
        const QByteArray bytes = takeProperty(&type);
        if (stage == Stage::Targets) {
            reads.append(QStringLiteral("TARGETS"));
            stage = Stage::Format;
            reads.append(QString::fromLatin1(kText));
            request(kText);
            return;
        }
        if (type == atom("INCR")) {
            incremental = true;
            incoming.clear();
            return;
        }
        finish(bytes);
    }
    void onPropertyNew(const xcb_property_notify_event_t& event) {
        if (!incremental || event.atom != atom("META_SELECTION") ||
            event.state != XCB_PROPERTY_NEW_VALUE)
            return;
        const auto take = [this] {
            xcb_atom_t type = XCB_ATOM_NONE;
            const QByteArray chunk = takeProperty(&type);
            if (chunk.isEmpty()) {
                incremental = false;
                finish(incoming);
                return;
            }
            incoming += chunk;
        };
        if (incrementPause.count() > 0)
            QTimer::singleShot(incrementPause, notifier.get(), take);
        else
            take();
    }
    void dispatch() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if (event->response_type == xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY) {
                onNewOwner(*reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(event));
                std::free(event);
                continue;
            }
            switch (event->response_type & 0x7f) {
                case XCB_SELECTION_NOTIFY:
                    onNotify(*reinterpret_cast<xcb_selection_notify_event_t*>(event));
                    break;
                case XCB_PROPERTY_NOTIFY:
                    onPropertyNew(*reinterpret_cast<xcb_property_notify_event_t*>(event));
                    break;
                default:
                    break;
            }
            std::free(event);
        }
    }
};

FakeClipboardBridge::FakeClipboardBridge(std::chrono::milliseconds readDelay)
    : d(std::make_unique<Private>()) {
    d->readDelay = readDelay;
    d->c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(d->c) != 0)
        return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(d->c)).data;
    d->window = xcb_generate_id(d->c);
    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(d->c, XCB_COPY_FROM_PARENT, d->window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(d->c);
    d->knownOwner = d->owner();
    // mutter learns of every new owner, the same window taking it again included, from XFixes.
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(d->c, &xcb_xfixes_id);
    if (xfixes && xfixes->present) {
        d->xfixesEvent = xfixes->first_event;
        std::free(
            xcb_xfixes_query_version_reply(d->c, xcb_xfixes_query_version(d->c, 5, 0), nullptr));
        xcb_xfixes_select_selection_input(d->c, d->window, d->atom("CLIPBOARD"),
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
        xcb_flush(d->c);
    }
    d->notifier =
        std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(d->c), QSocketNotifier::Read);
    QObject::connect(d->notifier.get(), &QSocketNotifier::activated, [this] { d->dispatch(); });
    d->readTimer.setSingleShot(true);
    d->readTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&d->readTimer, &QTimer::timeout, [this] { d->startRead(); });
}

FakeClipboardBridge::~FakeClipboardBridge() {
    d->notifier.reset();
    if (d->c)
        xcb_disconnect(d->c);
}

bool FakeClipboardBridge::isConnected() const {
    return d->c && xcb_connection_has_error(d->c) == 0 && d->xfixesEvent != 0;
}

void FakeClipboardBridge::paste(std::chrono::milliseconds incrementPause) {
    d->incrementPause = incrementPause;
    d->startPaste();
}

void FakeClipboardBridge::onPasted(std::function<void()> done) {
    d->onPasted = std::move(done);
}

QList<QByteArray> FakeClipboardBridge::pasted() const {
    return d->pasted;
}

QList<QString> FakeClipboardBridge::reads() const {
    return d->reads;
}
