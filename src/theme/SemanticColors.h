#pragma once

#include <QColor>
#include <QFont>

class QWidget;

// The desktop's semantic colours, read from the widget's palette so that light and dark
// appearance follow the desktop theme. Grey and the fixed colours are the same in every theme.
namespace SemanticColors {

QColor primary(const QWidget* widget);
QColor secondary(const QWidget* widget);
QColor windowBackground(const QWidget* widget);
QColor controlBackground(const QWidget* widget);
QColor textBackground(const QWidget* widget);
QColor separator(const QWidget* widget);
QColor systemGrey(const QWidget* widget);
bool isDark(const QWidget* widget);

QColor withOpacity(QColor colour, double opacity);

// The system font at a pixel size and weight; monospaced on request.
QFont systemFont(int pixelSize, QFont::Weight weight = QFont::Normal, bool monospaced = false);

}  // namespace SemanticColors
