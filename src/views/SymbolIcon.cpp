#include "views/SymbolIcon.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

namespace SymbolIcon {

QPixmap pixmap(const QString& name, int pixelSize, const QColor& colour, qreal devicePixelRatio) {
    const QString path = QStringLiteral(":/settings/icons/%1.svg").arg(name);
    if (!QFile::exists(path)) return {};
    QSvgRenderer renderer(path);
    const int device = qRound(pixelSize * devicePixelRatio);
    QPixmap result(device, device);
    result.fill(Qt::transparent);
    {
        QPainter painter(&result);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, device, device));
        // The artwork is black; keep its coverage and paint the wanted colour through it.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(result.rect(), colour);
    }
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

}  // namespace SymbolIcon
