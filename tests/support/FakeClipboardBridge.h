#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

// mutter's clipboard bridge as an X11 client sees it, on a connection of its own: when another
// client takes CLIPBOARD it reads the new owner's TARGETS, then one format (its clipboard
// manager's copy), after `readDelay`; from then on a Wayland paste is served by that owner.
// A paste before that read gets what the previous owner offered. paste() is the focused
// Wayland window's Ctrl+V: mutter fetches the text from the owner then, increments included.
class FakeClipboardBridge {
public:
    explicit FakeClipboardBridge(
        std::chrono::milliseconds readDelay = std::chrono::milliseconds(3));
    ~FakeClipboardBridge();
    FakeClipboardBridge(const FakeClipboardBridge&) = delete;
    FakeClipboardBridge& operator=(const FakeClipboardBridge&) = delete;

    bool isConnected() const;
    // The Wayland window's paste; its result arrives in pasted() through the event loop.
    // `incrementPause`: how long the window takes over each increment of a large text.
    void paste(std::chrono::milliseconds incrementPause = std::chrono::milliseconds(0));
    // Called as each paste has its text whole.
    void onPasted(std::function<void()> done);
    // Every paste's text in order; an empty string for a refused one.
    QList<QByteArray> pasted() const;
    // The owners' reads the bridge has made (each "TARGETS" then one format).
    QList<QString> reads() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
