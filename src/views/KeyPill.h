#pragma once

#include <QWidget>

// One key cap: the key's symbol or name on a small rounded, outlined cap.
class KeyPill : public QWidget {
    Q_OBJECT
public:
    explicit KeyPill(const QString& text, QWidget* parent = nullptr);

    QString text() const { return text_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};
