// Renders the application icon's SVG to a square PNG at build time, so that the packaged
// PNG sizes always match the SVG and the build needs no image tool beyond Qt.
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: quillo-icon-renderer INPUT.svg SIZE OUTPUT.png\n");
        return 2;
    }
    const QString input = QString::fromLocal8Bit(argv[1]);
    const int size = QString::fromLocal8Bit(argv[2]).toInt();
    const QString output = QString::fromLocal8Bit(argv[3]);
    if (size <= 0) {
        std::fprintf(stderr, "quillo-icon-renderer: '%s' is not a size in pixels\n", argv[2]);
        return 2;
    }
    QSvgRenderer renderer(input);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "quillo-icon-renderer: cannot read %s\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    if (!image.save(output, "PNG")) {
        std::fprintf(stderr, "quillo-icon-renderer: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
