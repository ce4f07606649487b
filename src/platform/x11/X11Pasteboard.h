#pragma once

#include "platform/Pasteboard.h"

#include <memory>

// CLIPBOARD and PRIMARY on an X connection of our own, served from a thread of its own: our
// own windows fetch a paste synchronously through Qt's connection while the main thread
// waits, so the main thread cannot be the one that answers. Saving reads the owner's formats
// asynchronously within the budget; while we own a selection we see when the text was
// fetched. What we own lives in this process and is gone when it ends.
class X11Pasteboard final : public Pasteboard {
public:
    // Connects to $DISPLAY.
    X11Pasteboard();
    ~X11Pasteboard() override;
    X11Pasteboard(const X11Pasteboard&) = delete;
    X11Pasteboard& operator=(const X11Pasteboard&) = delete;

    QCoro::Task<Saved> save(Selection selection, Budget budget) override;
    bool offerText(Selection selection, const QString& text,
                   std::function<void()> fetched) override;
    bool stillOffers(Selection selection) const override;
    void restore(Selection selection, const Contents& contents) override;

    // The formats a text is offered in: the text itself under its usual names, and the hint
    // that keeps it out of clipboard histories.
    static Contents textFormats(const QString& text);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
