#pragma once

#include "platform/Pasteboard.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

// The Wayland clipboard before a dictation: three formats (text, HTML, binary) owned by another
// process, and the check that every one reads back with its bytes through wl-paste.
class PreviousWaylandClipboard {
public:
    // `environment` reaches the compositor (its WAYLAND_DISPLAY).
    explicit PreviousWaylandClipboard(
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    ~PreviousWaylandClipboard();
    PreviousWaylandClipboard(const PreviousWaylandClipboard&) = delete;
    PreviousWaylandClipboard& operator=(const PreviousWaylandClipboard&) = delete;

    bool isOwning() const { return owning_; }
    static Pasteboard::Contents formats();
    bool isBack() const;

private:
    QByteArray wlPaste(const QStringList& arguments) const;

    QProcessEnvironment environment_;
    QTemporaryDir dir_;
    QProcess owner_;
    bool owning_ = false;
};
