#include <QAbstractEventDispatcher>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>

#include "platform/x11/X11Pasteboard.h"

#include "platform/x11/X11AtomNames.h"
#include "platform/x11/X11SelectionOwner.h"
#include "platform/x11/X11SelectionReader.h"

#include <coroutine>
#include <cstdlib>

namespace {

const QString kPasswordManagerHint = QStringLiteral("x-kde-passwordManagerHint");

// Resumes the saving coroutine on the main thread with the reader's result.
struct SaveWait {
    std::optional<Pasteboard::Saved> result;
    std::coroutine_handle<> handle;
};

class SaveAwaiter {
public:
    explicit SaveAwaiter(std::shared_ptr<SaveWait> wait) : wait_(std::move(wait)) {}
    bool await_ready() const noexcept { return wait_->result.has_value(); }
    void await_suspend(std::coroutine_handle<> handle) { wait_->handle = handle; }
    Pasteboard::Saved await_resume() { return std::move(*wait_->result); }

private:
    std::shared_ptr<SaveWait> wait_;
};

// Everything that touches the connection; lives on, and is only used from, the worker thread.
struct Link {
    ~Link();
    bool connect();
    void dispatch();
    void handle(const xcb_generic_event_t& event);
    xcb_timestamp_t serverTime();
    X11SelectionOwner& owner(Pasteboard::Selection selection) {
        return selection == Pasteboard::Selection::Clipboard ? *clipboard : *primary;
    }
    xcb_atom_t atom(Pasteboard::Selection selection) {
        return selection == Pasteboard::Selection::Clipboard
                   ? atoms->atom(QStringLiteral("CLIPBOARD"))
                   : xcb_atom_t{XCB_ATOM_PRIMARY};
    }
    xcb_window_t ownerOf(xcb_atom_t selection);

    xcb_connection_t* connection = nullptr;
    xcb_window_t window = XCB_WINDOW_NONE;
    std::unique_ptr<X11AtomNames> atoms;
    std::unique_ptr<X11SelectionOwner> clipboard;
    std::unique_ptr<X11SelectionOwner> primary;
    std::unique_ptr<X11SelectionReader> reader;
    std::unique_ptr<QSocketNotifier> notifier;
    bool offering[2] = {false, false};
};

Link::~Link() {
    notifier.reset();
    reader.reset();
    clipboard.reset();
    primary.reset();
    if (connection != nullptr) {
        xcb_disconnect(connection);
    }
}

bool Link::connect() {
    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        connection = nullptr;
        return false;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    window = xcb_generate_id(connection);
    // Never mapped: it only carries the properties selections are transferred through.
    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_EVENT_MASK, &mask);
    atoms = std::make_unique<X11AtomNames>(connection);
    clipboard = std::make_unique<X11SelectionOwner>(connection, window,
                                                    atom(Pasteboard::Selection::Clipboard), *atoms);
    primary = std::make_unique<X11SelectionOwner>(connection, window, XCB_ATOM_PRIMARY, *atoms);
    reader = std::make_unique<X11SelectionReader>(connection, window, *atoms);
    notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection),
                                                 QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                     [this] { dispatch(); });
    // A round trip may pull events off the socket into xcb's queue: look before sleeping.
    QObject::connect(QThread::currentThread()->eventDispatcher(),
                     &QAbstractEventDispatcher::aboutToBlock, notifier.get(),
                     [this] { dispatch(); });
    xcb_flush(connection);
    return true;
}

void Link::dispatch() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
        handle(*event);
        std::free(event);
    }
    // A lost server leaves the socket readable for ever: stop listening instead of spinning.
    if (xcb_connection_has_error(connection) != 0) {
        notifier->setEnabled(false);
    }
}

void Link::handle(const xcb_generic_event_t& event) {
    switch (event.response_type & 0x7f) {
        case XCB_SELECTION_REQUEST: {
            const auto& request = reinterpret_cast<const xcb_selection_request_event_t&>(event);
            (request.selection == XCB_ATOM_PRIMARY ? *primary : *clipboard).handleRequest(request);
            break;
        }
        case XCB_SELECTION_CLEAR: {
            const auto& clear = reinterpret_cast<const xcb_selection_clear_event_t&>(event);
            clipboard->handleClear(clear);
            primary->handleClear(clear);
            break;
        }
        case XCB_SELECTION_NOTIFY:
            reader->handleNotify(reinterpret_cast<const xcb_selection_notify_event_t&>(event));
            break;
        case XCB_PROPERTY_NOTIFY: {
            const auto& property = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (!reader->handlePropertyNewValue(property) &&
                !clipboard->handlePropertyDeleted(property)) {
                primary->handlePropertyDeleted(property);
            }
            break;
        }
        default:  // errors included: a requestor's window may vanish during a transfer
            break;
    }
}

// The server's time now, for taking a selection: the time stamp of a change to our window.
xcb_timestamp_t Link::serverTime() {
    const xcb_atom_t marker = atoms->atom(QStringLiteral("_QUILLO_TIME"));
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, window, marker, XCB_ATOM_INTEGER, 32, 0,
                        nullptr);
    xcb_flush(connection);
    xcb_timestamp_t time = XCB_CURRENT_TIME;
    QList<xcb_generic_event_t*> others;
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && property->window == window &&
            property->atom == marker) {
            time = property->time;
            std::free(event);
            break;
        }
        others.append(event);
    }
    for (xcb_generic_event_t* event : std::as_const(others)) {
        handle(*event);
        std::free(event);
    }
    return time;
}

xcb_window_t Link::ownerOf(xcb_atom_t selection) {
    xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr);
    const xcb_window_t owner = reply != nullptr ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
    std::free(reply);
    return owner;
}

}  // namespace

struct X11Pasteboard::Private {
    // Runs `work` on the worker thread and waits for it; the worker never waits for us.
    template <typename Work>
    void onWorker(Work&& work) const {
        QMetaObject::invokeMethod(worker.get(), std::forward<Work>(work),
                                  Qt::BlockingQueuedConnection);
    }

    QThread thread;
    std::unique_ptr<QObject> worker = std::make_unique<QObject>();
    QObject home;  // receives the worker's answers on the main thread
    std::unique_ptr<Link> link = std::make_unique<Link>();
    bool connected = false;
};

X11Pasteboard::X11Pasteboard() : d(std::make_unique<Private>()) {
    d->thread.setObjectName(QStringLiteral("X11Pasteboard"));
    d->worker->moveToThread(&d->thread);
    d->thread.start();
    d->onWorker([this] { d->connected = d->link->connect(); });
}

X11Pasteboard::~X11Pasteboard() {
    // The notifier and timers belong to the worker thread: end them there.
    d->onWorker([this] { d->link.reset(); });
    d->thread.quit();
    d->thread.wait();
}

QCoro::Task<Pasteboard::Saved> X11Pasteboard::save(Selection selection, Budget budget) {
    if (!d->connected) {
        co_return Saved{};
    }
    auto wait = std::make_shared<SaveWait>();
    QPointer<QObject> home(&d->home);
    const auto answer = [wait, home](Saved saved) {
        QMetaObject::invokeMethod(
            home.data(),
            [wait, saved = std::move(saved)]() mutable {
                wait->result = std::move(saved);
                if (wait->handle) {
                    wait->handle.resume();
                }
            },
            Qt::QueuedConnection);
    };
    Link* link = d->link.get();
    QMetaObject::invokeMethod(
        d->worker.get(),
        [link, selection, budget, answer] {
            const xcb_atom_t atom = link->atom(selection);
            const xcb_window_t owner = link->ownerOf(atom);
            if (link->reader->isReading()) {
                answer(Saved{});
            } else if (owner == XCB_WINDOW_NONE) {
                answer(Saved{Contents{}, {}});
            } else if (owner == link->window) {
                answer(Saved{link->owner(selection).contents(), {}});
            } else {
                link->reader->read(atom, budget, answer);
            }
        },
        Qt::QueuedConnection);
    co_return co_await SaveAwaiter(wait);
}

Pasteboard::Contents X11Pasteboard::textFormats(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return {{QStringLiteral("UTF8_STRING"), utf8},
            {QStringLiteral("text/plain;charset=utf-8"), utf8},
            {QStringLiteral("text/plain"), utf8},
            {QStringLiteral("STRING"), text.toLatin1()},
            {QStringLiteral("TEXT"), utf8},
            // Honoured by KDE's and other clipboard managers: keeps every dictation out of
            // their history.
            {kPasswordManagerHint, QByteArrayLiteral("secret")}};
}

bool X11Pasteboard::offerText(Selection selection, const QString& text,
                              std::function<void()> fetched) {
    if (!d->connected) {
        return false;
    }
    const Contents formats = textFormats(text);
    QList<QString> textNames;
    for (const Format& format : formats) {
        if (format.first != kPasswordManagerHint) {
            textNames.append(format.first);
        }
    }
    QPointer<QObject> home(&d->home);
    auto onMainThread = [home, fetched = std::move(fetched)] {
        QMetaObject::invokeMethod(home.data(), fetched, Qt::QueuedConnection);
    };
    bool taken = false;
    d->onWorker([&] {
        taken =
            d->link->owner(selection).take(formats, textNames, onMainThread, d->link->serverTime());
        d->link->offering[int(selection)] = taken;
    });
    return taken;
}

bool X11Pasteboard::stillOffers(Selection selection) const {
    bool offers = false;
    if (d->connected) {
        d->onWorker([&] {
            offers = d->link->offering[int(selection)] && d->link->owner(selection).owns();
        });
    }
    return offers;
}

void X11Pasteboard::restore(Selection selection, const Contents& contents) {
    if (!d->connected) {
        return;
    }
    d->onWorker([&] {
        d->link->offering[int(selection)] = false;
        d->link->owner(selection).take(contents, {}, {}, d->link->serverTime());
    });
}
