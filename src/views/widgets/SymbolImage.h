#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// Our own monochrome symbols (resources/icons/<name>.svg), tinted to the colour a view asks
// for. Unknown names give an empty pixmap.
class SymbolImage {
public:
    SymbolImage() = delete;

    static QPixmap pixmap(const QString& name, int size, const QColor& color,
                          qreal devicePixelRatio = 1.0);
    static QIcon icon(const QString& name, int size, const QColor& color);
    // Artwork that keeps its own colours, such as "QuilloLogo", scaled to `height`.
    static QPixmap artwork(const QString& name, int height, qreal devicePixelRatio = 1.0);
};
