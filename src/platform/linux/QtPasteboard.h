#pragma once

#include "platform/Pasteboard.h"

class QClipboard;

// The X11 CLIPBOARD selection through Qt. Another owner's data lives in its own process and can
// vanish with it, so contents() copies every format's bytes at once and keeps no QMimeData.
class QtPasteboard final : public Pasteboard {
public:
    QtPasteboard();

    std::optional<Contents> contents() const override;
    QString text() const override;
    void clear() override;
    void writeText(const QString& text) override;
    void writeContents(const Contents& contents) override;

    // The selection protocol's own targets, which are not data and cannot be written back.
    static bool isProtocolTarget(const QString& format);

private:
    QClipboard* clipboard_;
};
