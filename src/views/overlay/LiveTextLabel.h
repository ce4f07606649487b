#pragma once

#include <QLabel>
#include <QString>

// The words heard so far, on one line in white: when they do not fit, the start gives way to
// an ellipsis, so the newest words stay in view. Plain text, whatever the words contain.
class LiveTextLabel final : public QLabel {
    Q_OBJECT
public:
    explicit LiveTextLabel(QWidget* parent = nullptr);

    void setWords(const QString& words);
    // Everything heard, not only what is shown.
    QString words() const { return words_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void elide();

    QString words_;
};
