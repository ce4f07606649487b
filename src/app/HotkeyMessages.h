#pragma once

// The lines a hotkey event is handed to the running Quillo with, over its single-instance
// socket. Plain C++: the small sender program includes it without Qt.
namespace HotkeyMessages {

inline constexpr char press[] = "hotkey-press\n";
inline constexpr char release[] = "hotkey-release\n";

}  // namespace HotkeyMessages
