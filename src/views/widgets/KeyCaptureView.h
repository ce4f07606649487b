#pragma once

#include "platform/KeyCodes.h"
#include <QWidget>

#include <functional>
#include <optional>

class QKeyEvent;

// One key event in the portable numbering: the virtual key code (Space 49, right Option 61,
// Fn 63, ...) and the key-event modifier flags (command 0x100000, option 0x80000,
// control 0x40000, shift 0x20000, fn 0x800000).
struct CapturedKey {
    int keyCode;
    quint64 flags;
    // For modifier changes: whether the key went down (true) or came up.
    bool pressed = true;
};

// An invisible, zero-sized view that takes the keyboard focus and hands every key press and
// every modifier change to its callbacks. Tab, shortcuts and Control/Super combinations are
// consumed too, so nothing else in the window reacts while a hotkey is being recorded.
class KeyCaptureView : public QWidget {
    Q_OBJECT
public:
    using Handler = std::function<void(const CapturedKey&)>;
    // The windowing system's key code (QKeyEvent::nativeScanCode) to the portable key code.
    using NativeKeyTranslator = std::function<std::optional<int>(quint32 nativeScanCode)>;

    static constexpr quint64 commandFlag = KeyCodes::commandFlag;
    static constexpr quint64 optionFlag = KeyCodes::optionFlag;
    static constexpr quint64 controlFlag = KeyCodes::controlFlag;
    static constexpr quint64 shiftFlag = KeyCodes::shiftFlag;
    static constexpr quint64 fnFlag = KeyCodes::fnFlag;

    KeyCaptureView(Handler onKeyDown, Handler onFlagsChanged, QWidget* parent = nullptr);

    // The composition root installs the X11 key code table here. Without one (or for a key it
    // does not know) the Qt key decides, which cannot tell left from right modifiers.
    static void installNativeKeyTranslator(NativeKeyTranslator translator);

    static std::optional<int> portableKeyCode(const QKeyEvent& event);
    static quint64 eventFlags(Qt::KeyboardModifiers modifiers);

protected:
    bool event(QEvent* event) override;

private:
    void handleKey(const QKeyEvent& event, bool pressed);

    Handler onKeyDown_;
    Handler onFlagsChanged_;
};
