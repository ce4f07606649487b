#pragma once

#include <QString>
#include <QTextStream>

#include <optional>

// The options quillo understands on its command line, read before any window system is touched
// so that --help and --version work without a display.
namespace CommandLine {

enum ExitCode { success = 0, usageError = 2 };

// The exit code when the process should end after printing, nothing when Quillo should start.
std::optional<int> handle(int argc, char** argv, QTextStream& out, QTextStream& err);

// A key binding of the compositor (sway's bindsym) runs "quillo --hotkey-press" and
// "quillo --hotkey-release": the event to hand to the running instance. Nothing unless the
// option, spelt out in full, is the only argument.
enum class HotkeyCommand { press, release };
std::optional<HotkeyCommand> hotkeyCommand(int argc, char** argv);

}  // namespace CommandLine
