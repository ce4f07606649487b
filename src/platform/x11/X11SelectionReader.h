#pragma once

// Internal to the X11 clipboard: include it from .cpp files only, after the Qt headers.

#include "platform/Pasteboard.h"

#include <QList>

#include <functional>
#include <memory>

#include <xcb/xcb.h>

class QTimer;
class X11AtomNames;

// Copies what another program holds in a selection, asynchronously on our own connection:
// first the list of formats its owner offers, then each format's bytes as they are, large
// ones in increments, one after another until the time or size budget is spent.
class X11SelectionReader {
public:
    using Done = std::function<void(Pasteboard::Saved)>;

    X11SelectionReader(xcb_connection_t* connection, xcb_window_t window, X11AtomNames& atoms);
    ~X11SelectionReader();
    X11SelectionReader(const X11SelectionReader&) = delete;
    X11SelectionReader& operator=(const X11SelectionReader&) = delete;

    bool isReading() const { return static_cast<bool>(done_); }
    // Starts reading the selection's owner; `done` is called once, from a later event or
    // timer of the calling thread.
    void read(xcb_atom_t selection, Pasteboard::Budget budget, Done done);

    void handleNotify(const xcb_selection_notify_event_t& notify);
    // True when the event belonged to a transfer of ours.
    bool handlePropertyNewValue(const xcb_property_notify_event_t& event);

    // Targets of the selection protocol itself: not data, and not ours to copy.
    static bool isProtocolTarget(const QString& name);

private:
    enum class Stage { Idle, Targets, Format, Increments };

    void request(xcb_atom_t target);
    void takeTargets();
    void takeFormat();
    void takeIncrement();
    void next();
    void giveUp(Pasteboard::GivenUp::Reason reason);
    void outOfTime();
    void finish();
    QByteArray property(bool remove, quint32 longLength, xcb_atom_t* type, quint8* format,
                        quint32* bytesAfter);
    qint64 bytesLeft() const;

    xcb_connection_t* connection_;
    xcb_window_t window_;
    X11AtomNames& atoms_;

    Stage stage_ = Stage::Idle;
    xcb_atom_t selection_ = XCB_ATOM_NONE;
    xcb_atom_t property_ = XCB_ATOM_NONE;
    xcb_atom_t target_ = XCB_ATOM_NONE;
    Pasteboard::Budget budget_{};
    QList<xcb_atom_t> targets_;
    QList<QString> targetNames_;
    qsizetype index_ = 0;
    QByteArray incoming_;
    qint64 bytesTaken_ = 0;
    Pasteboard::Saved saved_;
    std::unique_ptr<QTimer> deadline_;
    Done done_;
};
