#include "views/widgets/SettingsText.h"

#include "theme/SemanticColors.h"

#include <QLabel>

namespace SettingsText {

QLabel* label(const QString& text, int pixelSize, QFont::Weight weight, Tone tone,
              QWidget* parent) {
    auto* result = new QLabel(text, parent);
    result->setFont(SemanticColors::systemFont(pixelSize, weight));
    if (tone == Tone::secondary) result->setForegroundRole(QPalette::PlaceholderText);
    result->setTextFormat(Qt::PlainText);
    return result;
}

}  // namespace SettingsText
