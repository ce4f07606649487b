#pragma once

#include <QFont>
#include <QMargins>
#include <QWidget>

// A drawn key cap for examples and guides: on the Home guide card (its ink at 15 % behind
// the ink) or on the page (system grey fill and outline, text colour).
class KeyCap : public QWidget {
    Q_OBJECT
public:
    enum class Look { onGuide, onPage };

    KeyCap(const QString& text, const QFont& font, QMargins padding, qreal cornerRadius, Look look,
           QWidget* parent = nullptr);

    QString text() const { return text_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QMargins padding_;
    qreal cornerRadius_;
    Look look_;
};
