#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// The named symbols of the settings window ("house", "info.circle", ...), drawn from our own
// SVGs in one colour.
namespace SymbolIcon {

// A square pixmap of `pixelSize` (device-independent), tinted; empty for an unknown name.
QPixmap pixmap(const QString& name, int pixelSize, const QColor& colour,
               qreal devicePixelRatio = 1);

}  // namespace SymbolIcon
