#pragma once

#include <QString>

#include <functional>

// One line per event on standard output, flushed at once. Tests may divert the lines.
namespace Log {

void line(const QString& text);

using Sink = std::function<void(const QString&)>;
// Replaces where lines go; an empty sink restores standard output. Returns the previous sink.
Sink setSink(Sink sink);

}  // namespace Log
