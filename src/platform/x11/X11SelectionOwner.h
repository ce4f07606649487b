#pragma once

// Internal to the X11 clipboard: include it from .cpp files only, after the Qt headers.

#include "platform/Pasteboard.h"

#include <QList>

#include <chrono>
#include <functional>

#include <xcb/xcb.h>

class X11AtomNames;

// Owns one selection (CLIPBOARD or PRIMARY) on our own connection and serves its contents to
// every program that asks, the large ones in increments. Tells when a text format was served.
class X11SelectionOwner {
public:
    X11SelectionOwner(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t selection,
                      X11AtomNames& atoms);
    ~X11SelectionOwner();
    X11SelectionOwner(const X11SelectionOwner&) = delete;
    X11SelectionOwner& operator=(const X11SelectionOwner&) = delete;

    // Takes the selection with these contents, as of server time `time`. `textFormats` are the
    // ones whose delivery calls `fetched`. False when the server gave the selection to no one
    // or someone else.
    bool take(const Pasteboard::Contents& contents, const QList<QString>& textFormats,
              std::function<void()> fetched, xcb_timestamp_t time);
    bool owns() const { return owning_; }
    const Pasteboard::Contents& contents() const { return contents_; }

    void handleRequest(const xcb_selection_request_event_t& request);
    void handleClear(const xcb_selection_clear_event_t& clear);
    // Our increments go on when the requestor has deleted the last one.
    bool handlePropertyDeleted(const xcb_property_notify_event_t& event);

    // Above this size a format is sent in increments of this size.
    static constexpr int kIncrementSize = 256 * 1024;

private:
    struct Transfer;
    bool serve(const xcb_selection_request_event_t& request, xcb_atom_t property);
    void sendIncrement(Transfer& transfer);
    void dropStaleTransfers();

    xcb_connection_t* connection_;
    xcb_window_t window_;
    xcb_atom_t selection_;
    X11AtomNames& atoms_;
    bool owning_ = false;
    xcb_timestamp_t ownedSince_ = 0;
    Pasteboard::Contents contents_;
    QList<QString> textFormats_;
    std::function<void()> fetched_;
    bool textSent_ = false;  // the request being answered got a text format whole
    QList<Transfer> transfers_;
};
