#include "theme/SemanticColors.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

namespace SemanticColors {

namespace {

QPalette paletteOf(const QWidget* widget) {
    return widget ? widget->palette() : QApplication::palette();
}

}  // namespace

bool isDark(const QWidget* widget) {
    return paletteOf(widget).color(QPalette::Window).lightnessF() < 0.5;
}

QColor primary(const QWidget* widget) { return paletteOf(widget).color(QPalette::WindowText); }

QColor secondary(const QWidget* widget) {
    // The theme's placeholder text is its weaker label colour; labels use the same role.
    return paletteOf(widget).color(QPalette::PlaceholderText);
}

QColor windowBackground(const QWidget* widget) {
    return paletteOf(widget).color(QPalette::Window);
}

QColor controlBackground(const QWidget* widget) {
    return paletteOf(widget).color(QPalette::Base);
}

QColor textBackground(const QWidget* widget) { return paletteOf(widget).color(QPalette::Base); }

QColor separator(const QWidget* widget) { return withOpacity(primary(widget), 0.12); }

QColor systemGrey(const QWidget* widget) {
    return isDark(widget) ? QColor(152, 152, 157) : QColor(142, 142, 147);
}

QColor withOpacity(QColor colour, double opacity) {
    colour.setAlphaF(float(colour.alphaF() * opacity));
    return colour;
}

QFont systemFont(int pixelSize, QFont::Weight weight, bool monospaced) {
    QFont font = monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
                            : QApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

}  // namespace SemanticColors
