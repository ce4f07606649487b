#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// A masked text field with a button that shows or hides what was typed. Used for API keys:
// its accessible name is the field's title, never its content.
class SecretField : public QWidget {
    Q_OBJECT
public:
    explicit SecretField(const QString& accessibleTitle, QWidget* parent = nullptr);

    QLineEdit* lineEdit() const { return edit_; }
    QToolButton* showButton() const { return show_; }
    QString text() const;
    void setText(const QString& text);
    bool isRevealed() const;

signals:
    // Every change the user makes.
    void edited(const QString& text);

private:
    void reveal(bool on);

    QLineEdit* edit_;
    QToolButton* show_;
};
