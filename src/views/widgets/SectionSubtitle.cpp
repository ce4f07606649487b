#include "views/widgets/SectionSubtitle.h"

#include "theme/SemanticColors.h"

SectionSubtitle::SectionSubtitle(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setFont(SemanticColors::systemFont(13, QFont::Medium));
    setForegroundRole(QPalette::PlaceholderText);
    setTextFormat(Qt::PlainText);
    setContentsMargins(0, 0, 0, 8);
}
