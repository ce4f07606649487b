#pragma once

#include <QColor>

// The two theme colours.
namespace QuilloTheme {

inline QColor accent() { return QColor::fromRgbF(1.0f, 0.22f, 0.361f); }
inline QColor success() { return QColor(74, 222, 128); }

}  // namespace QuilloTheme
