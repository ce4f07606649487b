#pragma once

#include "platform/Pasteboard.h"
#include "support/ChildProcess.h"

#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <memory>

// The Wayland clipboard before a dictation: formats (by default text, HTML and binary) owned by
// another process, and the check that every one reads back with its bytes through wl-paste.
class PreviousWaylandClipboard {
public:
    // `environment` reaches the compositor (its WAYLAND_DISPLAY).
    explicit PreviousWaylandClipboard(
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
        const Pasteboard::Contents& contents = formats());
    ~PreviousWaylandClipboard();
    PreviousWaylandClipboard(const PreviousWaylandClipboard&) = delete;
    PreviousWaylandClipboard& operator=(const PreviousWaylandClipboard&) = delete;

    bool isOwning() const { return owning_; }
    static Pasteboard::Contents formats();
    bool isBack() const;

private:
    QByteArray wlPaste(const QStringList& arguments) const;

    QProcessEnvironment environment_;
    Pasteboard::Contents contents_;
    QTemporaryDir dir_;
    std::unique_ptr<ChildProcess> owner_;
    bool owning_ = false;
};
