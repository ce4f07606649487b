#pragma once

#include "base/ScopedRegistration.h"

#include <QtGlobal>

#include <chrono>
#include <functional>
#include <optional>

// Identifies one registered combination: a four-character signature and a number.
struct HotkeyId {
    quint32 signature = 0;
    quint32 id = 0;
    bool operator==(const HotkeyId&) const = default;
};

// Packs a four-character code big-endian into 32 bits ("QUIL" -> 0x5155494C).
constexpr quint32 fourCharCode(const char (&code)[5]) {
    return (quint32(quint8(code[0])) << 24) | (quint32(quint8(code[1])) << 16) |
           (quint32(quint8(code[2])) << 8) | quint32(quint8(code[3]));
}

enum class HotkeyEventKind : quint32 {
    pressed = 5,
    released = 6,
    // A registration that was awaiting the window system's answer is now in force...
    confirmed = 100,
    // ...or is not, for the reason in `status`; its registration does nothing any more.
    refused = 101,
};

struct HotkeyEvent {
    // Absent when the event belongs to no registration the backend knows.
    std::optional<HotkeyId> id;
    HotkeyEventKind kind = HotkeyEventKind::pressed;
    // Why a registration was refused; noError otherwise.
    int status = 0;
};

// A system-wide key combination: pressed and released events reach the installed handlers
// on the main thread.
class GlobalHotkeyBackend {
public:
    static constexpr int noError = 0;
    // The key code has no key on this keyboard.
    static constexpr int paramError = -50;
    // The backend has no connection to the window system.
    static constexpr int notConnected = -1;

    // Returns true when it handled the event; otherwise the next handler sees it.
    using Handler = std::function<bool(const HotkeyEvent&)>;

    struct Outcome {
        // noError, or what refused the request (a window-system error code, or one above).
        int status = noError;
        // Set on success; destroying it removes the handler or the registration.
        ScopedRegistration registration;
        // Set when the window system answers later (a desktop portal): the handlers then get
        // one `confirmed` or `refused` event for the id.
        bool awaitingConfirmation = false;
        bool succeeded() const { return status == noError && registration.isSet(); }
    };

    virtual ~GlobalHotkeyBackend() = default;

    virtual Outcome installHandler(Handler handler) = 0;
    // keyCode and carbonModifiers in the portable numbering (Space 49; command 256,
    // shift 512, option 2048, control 4096).
    virtual Outcome registerHotkey(quint32 keyCode, quint32 carbonModifiers, HotkeyId id) = 0;
    // Whether a lone modifier key (right Option, Fn) can serve as the hotkey in this session.
    virtual bool canBindLoneModifiers() const { return true; }
    // How long after a press the backend can first tell a held key from a tap (its release
    // may come only then); the hold threshold is never shorter.
    virtual std::chrono::milliseconds holdRecognisedAfter() const {
        return std::chrono::milliseconds(0);
    }
};
