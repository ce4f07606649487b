#pragma once

#include <QWidget>

// A warning triangle and the message on one line, in white, centred in the widget with
// 10 points of padding left and right; a message too long for the width is cut with an ellipsis.
class ErrorOverlayView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int horizontalPadding = 10;
    static constexpr int spacing = 6;

    explicit ErrorOverlayView(QWidget* parent = nullptr);

    void setMessage(const QString& message);
    QString message() const { return message_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static QSizeF iconSize();
    QFont messageFont() const;
    void paintIcon(QPainter& painter, const QRectF& box) const;

    QString message_;
};
