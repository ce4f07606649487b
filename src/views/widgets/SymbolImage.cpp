#include "views/widgets/SymbolImage.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace {

QString resourcePath(const QString& name) {
    return QStringLiteral(":/icons/%1.svg").arg(name);
}

QImage render(QSvgRenderer& renderer, const QSize& pixels) {
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

}  // namespace

QPixmap SymbolImage::pixmap(const QString& name, int size, const QColor& color,
                            qreal devicePixelRatio) {
    QSvgRenderer renderer(resourcePath(name));
    if (!renderer.isValid()) {
        return {};
    }
    const int pixels = qRound(size * devicePixelRatio);
    QImage image = render(renderer, QSize(pixels, pixels));
    // The drawings are black on transparent: keep their coverage, replace the colour.
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), color);
    painter.end();
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

QIcon SymbolImage::icon(const QString& name, int size, const QColor& color) {
    QIcon icon;
    icon.addPixmap(pixmap(name, size, color, 1.0));
    icon.addPixmap(pixmap(name, size, color, 2.0));
    return icon;
}

QPixmap SymbolImage::artwork(const QString& name, int height, qreal devicePixelRatio) {
    QSvgRenderer renderer(resourcePath(name));
    if (!renderer.isValid()) {
        return {};
    }
    const QSizeF natural = renderer.defaultSize();
    const qreal width = natural.height() > 0 ? height * natural.width() / natural.height() : height;
    QPixmap result = QPixmap::fromImage(render(
        renderer, QSize(qRound(width * devicePixelRatio), qRound(height * devicePixelRatio))));
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}
