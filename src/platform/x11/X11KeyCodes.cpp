#include "platform/x11/X11KeyCodes.h"

#include "platform/KeyCodes.h"

#include <utility>

namespace {

constexpr quint16 xShift = 1 << 0;
constexpr quint16 xControl = 1 << 2;
constexpr quint16 xMod1 = 1 << 3;
constexpr quint16 xMod4 = 1 << 6;

}  // namespace

std::optional<quint8> X11KeyCodes::toX(int portableKeyCode) {
    const std::optional<quint32> code = KeyCodes::toXkb(portableKeyCode);
    if (!code || *code > 255) return std::nullopt;
    return quint8(*code);
}

std::optional<int> X11KeyCodes::fromX(quint8 xKeyCode) { return KeyCodes::fromXkb(xKeyCode); }

quint16 X11KeyCodes::toXModifiers(quint32 carbonModifiers) {
    quint16 state = 0;
    if (carbonModifiers & KeyCodes::commandMask) state |= xMod4;
    if (carbonModifiers & KeyCodes::shiftMask) state |= xShift;
    if (carbonModifiers & KeyCodes::optionMask) state |= xMod1;
    if (carbonModifiers & KeyCodes::controlMask) state |= xControl;
    return state;
}

quint32 X11KeyCodes::fromXModifiers(quint16 xState) {
    quint32 mask = 0;
    if (xState & xMod4) mask |= KeyCodes::commandMask;
    if (xState & xShift) mask |= KeyCodes::shiftMask;
    if (xState & xMod1) mask |= KeyCodes::optionMask;
    if (xState & xControl) mask |= KeyCodes::controlMask;
    return mask;
}

quint64 X11KeyCodes::modifierFlagForX(quint8 xKeyCode) {
    const std::optional<int> keyCode = fromX(xKeyCode);
    return keyCode ? KeyCodes::modifierFlag(*keyCode) : 0;
}
