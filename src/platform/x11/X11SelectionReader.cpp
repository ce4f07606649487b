#include <QTimer>

#include "platform/x11/X11SelectionReader.h"

#include "platform/x11/X11AtomNames.h"

#include <cstdint>
#include <cstdlib>

namespace {

// Each format lands in a property of its own, so that an owner still writing an increment we
// gave up cannot mix it into the next format.
QString propertyName(qsizetype index) {
    return QStringLiteral("_QUILLO_SAVED_%1").arg(index);
}

}  // namespace

X11SelectionReader::X11SelectionReader(xcb_connection_t* connection, xcb_window_t window,
                                       X11AtomNames& atoms)
    : connection_(connection), window_(window), atoms_(atoms) {}

X11SelectionReader::~X11SelectionReader() = default;

bool X11SelectionReader::isProtocolTarget(const QString& name) {
    static const QList<QString> kProtocol{
        QStringLiteral("TARGETS"), QStringLiteral("MULTIPLE"), QStringLiteral("TIMESTAMP"),
        QStringLiteral("SAVE_TARGETS"), QStringLiteral("DELETE"),
        QStringLiteral("INSERT_SELECTION"), QStringLiteral("INSERT_PROPERTY"),
        QStringLiteral("CLIPBOARD_MANAGER"),
        // Qt's own name for whatever image it holds, beside the image's real formats.
        QStringLiteral("application/x-qt-image")};
    return kProtocol.contains(name);
}

void X11SelectionReader::read(xcb_atom_t selection, Pasteboard::Budget budget, Done done) {
    done_ = std::move(done);
    selection_ = selection;
    budget_ = budget;
    saved_ = {};
    targets_.clear();
    targetNames_.clear();
    index_ = 0;
    bytesTaken_ = 0;
    if (!deadline_) {
        deadline_ = std::make_unique<QTimer>();
        deadline_->setSingleShot(true);
        deadline_->setTimerType(Qt::PreciseTimer);
        QObject::connect(deadline_.get(), &QTimer::timeout, deadline_.get(),
                         [this] { outOfTime(); });
    }
    deadline_->start(budget.time);
    stage_ = Stage::Targets;
    property_ = atoms_.atom(propertyName(0));
    request(atoms_.atom(QStringLiteral("TARGETS")));
}

void X11SelectionReader::request(xcb_atom_t target) {
    target_ = target;
    xcb_delete_property(connection_, window_, property_);
    xcb_convert_selection(connection_, window_, selection_, target, property_, XCB_CURRENT_TIME);
    xcb_flush(connection_);
}

void X11SelectionReader::handleNotify(const xcb_selection_notify_event_t& notify) {
    if (stage_ == Stage::Idle || notify.requestor != window_ || notify.selection != selection_ ||
        notify.target != target_) {
        return;
    }
    if (stage_ == Stage::Targets) {
        if (notify.property == XCB_ATOM_NONE) {  // an owner that lists nothing: nothing to keep
            saved_.contents = Pasteboard::Contents{};
            finish();
            return;
        }
        takeTargets();
    } else if (stage_ == Stage::Format) {
        if (notify.property == XCB_ATOM_NONE) {  // refused: skipped, as a format without bytes
            next();
            return;
        }
        takeFormat();
    }
}

QByteArray X11SelectionReader::property(bool remove, quint32 longLength, xcb_atom_t* type,
                                        quint8* format, quint32* bytesAfter) {
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(connection_,
                               xcb_get_property(connection_, remove ? 1 : 0, window_, property_,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, longLength),
                               nullptr);
    QByteArray bytes;
    *type = XCB_ATOM_NONE;
    *format = 0;
    *bytesAfter = 0;
    if (reply != nullptr) {
        *type = reply->type;
        *format = reply->format;
        *bytesAfter = reply->bytes_after;
        bytes = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    }
    std::free(reply);
    return bytes;
}

void X11SelectionReader::takeTargets() {
    xcb_atom_t type = XCB_ATOM_NONE;
    quint8 format = 0;
    quint32 bytesAfter = 0;
    const QByteArray bytes = property(true, 4096, &type, &format, &bytesAfter);
    QList<xcb_atom_t> offered;
    if (format == 32) {
        const auto* atoms = reinterpret_cast<const xcb_atom_t*>(bytes.constData());
        offered = QList<xcb_atom_t>(atoms, atoms + bytes.size() / 4);
    }
    const QList<QString> names = atoms_.names(offered);
    for (qsizetype i = 0; i < offered.size(); ++i) {
        if (!names[i].isEmpty() && !isProtocolTarget(names[i]) &&
            !targetNames_.contains(names[i])) {
            targets_.append(offered[i]);
            targetNames_.append(names[i]);
        }
    }
    saved_.contents = Pasteboard::Contents{};
    index_ = -1;
    next();
}

void X11SelectionReader::next() {
    ++index_;
    if (index_ >= targets_.size()) {
        finish();
        return;
    }
    stage_ = Stage::Format;
    incoming_.clear();
    property_ = atoms_.atom(propertyName(index_ + 1));
    request(targets_[index_]);
}

qint64 X11SelectionReader::bytesLeft() const {
    return budget_.bytes - bytesTaken_;
}

void X11SelectionReader::takeFormat() {
    xcb_atom_t type = XCB_ATOM_NONE;
    quint8 format = 0;
    quint32 bytesAfter = 0;
    // A first look tells the size (or for increments the size announced) without the bytes.
    QByteArray head = property(false, 1, &type, &format, &bytesAfter);
    if (type == atoms_.atom(QStringLiteral("INCR"))) {
        const qint64 announced =
            head.size() >= 4 ? *reinterpret_cast<const quint32*>(head.constData()) : 0;
        if (announced > bytesLeft()) {
            giveUp(Pasteboard::GivenUp::Reason::TooLarge);
            next();
            return;
        }
        stage_ = Stage::Increments;
        xcb_delete_property(connection_, window_, property_);  // asks for the first increment
        xcb_flush(connection_);
        return;
    }
    if (head.size() + qint64(bytesAfter) > bytesLeft()) {
        xcb_delete_property(connection_, window_, property_);
        giveUp(Pasteboard::GivenUp::Reason::TooLarge);
        next();
        return;
    }
    const QByteArray bytes =
        property(true, (quint32(head.size()) + bytesAfter + 3) / 4, &type, &format, &bytesAfter);
    if (!bytes.isEmpty()) {
        bytesTaken_ += bytes.size();
        saved_.contents->append({targetNames_[index_], bytes});
    }
    next();
}

bool X11SelectionReader::handlePropertyNewValue(const xcb_property_notify_event_t& event) {
    if (event.window != window_) {
        return false;
    }
    if (stage_ == Stage::Increments && event.atom == property_ &&
        event.state == XCB_PROPERTY_NEW_VALUE) {
        takeIncrement();
    }
    return true;
}

void X11SelectionReader::takeIncrement() {
    xcb_atom_t type = XCB_ATOM_NONE;
    quint8 format = 0;
    quint32 size = 0;
    // The size first, without the bytes: an owner may send far more than it announced.
    property(false, 0, &type, &format, &size);
    if (size == 0) {  // the empty increment ends the transfer
        xcb_delete_property(connection_, window_, property_);
        xcb_flush(connection_);
        if (!incoming_.isEmpty()) {
            bytesTaken_ += incoming_.size();
            saved_.contents->append({targetNames_[index_], incoming_});
        }
        next();
        return;
    }
    if (incoming_.size() + qint64(size) > bytesLeft()) {
        // Left unread and undeleted: the owner waits for a delete that never comes, and times out.
        giveUp(Pasteboard::GivenUp::Reason::TooLarge);
        next();
        return;
    }
    quint32 bytesAfter = 0;
    incoming_ += property(true, (size + 3) / 4, &type, &format, &bytesAfter);
}

void X11SelectionReader::giveUp(Pasteboard::GivenUp::Reason reason) {
    saved_.givenUp.append({targetNames_[index_], reason});
    incoming_.clear();
}

void X11SelectionReader::outOfTime() {
    if (stage_ == Stage::Targets) {
        saved_.contents.reset();
        saved_.givenUp.append({QString(), Pasteboard::GivenUp::Reason::TooSlow});
    } else {
        for (; index_ < targets_.size(); ++index_) {
            saved_.givenUp.append({targetNames_[index_], Pasteboard::GivenUp::Reason::TooSlow});
        }
    }
    finish();
}

void X11SelectionReader::finish() {
    stage_ = Stage::Idle;
    target_ = XCB_ATOM_NONE;
    deadline_->stop();
    Done done = std::move(done_);
    done_ = {};
    done(std::move(saved_));
}
