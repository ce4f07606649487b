#pragma once

#include "platform/Pasteboard.h"

#include <memory>

class QProcess;

// A stand-in clipboard for Wayland tests until a data-control Pasteboard serves the paste:
// writes go through `wl-copy --foreground` (kept running in a process group of its own while
// it offers the text), reads through `wl-paste`. It reports no saved contents, so nothing is
// restored after a paste.
class WlClipboardToolPasteboard final : public Pasteboard {
public:
    WlClipboardToolPasteboard();
    ~WlClipboardToolPasteboard() override;

    std::optional<Contents> contents() const override { return std::nullopt; }
    QString text() const override;
    void clear() override;
    void writeText(const QString& text) override;
    void writeContents(const Contents& contents) override;

private:
    void stopOffering();
    std::unique_ptr<QProcess> copy_;
};
