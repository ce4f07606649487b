#pragma once

#include <QWidget>

class ClampedTextLabel;
class QLabel;
class QTimer;

// One dictation of the Home section's history: its time and its text. Clicking it, or
// "Copy" in its context menu, puts the whole text on the clipboard and says so in place of
// the time for a moment.
class HistoryRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int confirmationMs = 1500;

    HistoryRow(const QString& timeText, const QString& text, QWidget* parent = nullptr);

    QString text() const { return text_; }
    QLabel* timeLabel() const { return time_; }
    void copy();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString timeText_;
    QString text_;
    QLabel* time_;
    QTimer* restore_;
};
