#pragma once

#include <QWidget>

// Word-wrapped text cut after a number of lines, the last shown line ending in an ellipsis.
class ClampedTextLabel : public QWidget {
    Q_OBJECT
public:
    ClampedTextLabel(const QString& text, int maxLines, QWidget* parent = nullptr);

    QString text() const { return text_; }
    // The lines as drawn at `width`; at most maxLines.
    QStringList visibleLines(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    int maxLines_;
};
