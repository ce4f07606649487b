#pragma once

#include "base/ScopedRegistration.h"

#include <QtGlobal>

#include <functional>

// One modifier key going down or up.
struct ModifierChange {
    // Portable key code of the key that changed (left Option 58, right Option 61, ...),
    // or -1 when the system does not say which key it was.
    int keyCode = -1;
    // Every modifier held after the change, as key-event flags: command 0x100000,
    // option 0x80000, control 0x40000, shift 0x20000, fn 0x800000.
    quint64 flags = 0;
};

// The system's stream of modifier changes, whichever application has the focus.
class ModifierEventSource {
public:
    using Handler = std::function<void(const ModifierChange&)>;

    virtual ~ModifierEventSource() = default;

    // Delivers every change to the handler on the main thread until the registration goes.
    // An empty registration means the source cannot deliver events.
    virtual ScopedRegistration subscribe(Handler handler) = 0;
    // Whether the key (portable code) is down right now, asked of the hardware state.
    virtual bool isKeyDown(int keyCode) = 0;
    // Whether the system ever reports this key (portable code). A key it never sends, such as
    // Fn on keyboards that handle Fn themselves, cannot serve as a hotkey.
    virtual bool canReport(int keyCode) const {
        Q_UNUSED(keyCode);
        return true;
    }
};
