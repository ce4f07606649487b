#include "views/widgets/SectionTitle.h"

#include "theme/SemanticColors.h"

SectionTitle::SectionTitle(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setFont(SemanticColors::systemFont(26, QFont::Bold));
    setTextFormat(Qt::PlainText);
    setContentsMargins(0, 0, 0, 24);
}
