#include "views/settings/sections/SecretField.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

SecretField::SecretField(const QString& accessibleTitle, QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), show_(new QToolButton(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    edit_->setEchoMode(QLineEdit::Password);
    edit_->setFixedWidth(220);
    edit_->setAccessibleName(accessibleTitle);
    // Keys are pasted far more often than typed; spelling helpers have no business here.
    edit_->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    show_->setCheckable(true);
    show_->setAutoRaise(true);
    row->addWidget(edit_);
    row->addWidget(show_);
    reveal(false);
    connect(show_, &QToolButton::toggled, this, &SecretField::reveal);
    connect(edit_, &QLineEdit::textEdited, this, &SecretField::edited);
}

QString SecretField::text() const {
    return edit_->text();
}
void SecretField::setText(const QString& text) {
    edit_->setText(text);
}
bool SecretField::isRevealed() const {
    return edit_->echoMode() == QLineEdit::Normal;
}

void SecretField::reveal(bool on) {
    edit_->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password);
    //% "Hide"
    const QString hide = qtTrId("connection.key.hide");
    //% "Show"
    const QString show = qtTrId("connection.key.show");
    show_->setText(on ? hide : show);
    show_->setAccessibleName(show_->text());
}
