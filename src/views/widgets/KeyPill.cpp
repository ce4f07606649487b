#include "views/widgets/KeyPill.h"

#include "theme/SemanticColors.h"

KeyPill::KeyPill(const QString& text, QWidget* parent)
    : KeyCap(text, SemanticColors::systemFont(13, QFont::Medium), QMargins(12, 6, 12, 6), 6,
             Look::onPage, parent) {}
