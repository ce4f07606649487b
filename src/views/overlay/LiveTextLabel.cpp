#include "views/overlay/LiveTextLabel.h"

#include <QFontMetrics>

LiveTextLabel::LiveTextLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setWordWrap(false);
    QFont small = font();
    small.setPixelSize(11);
    small.setWeight(QFont::Medium);
    setFont(small);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
}

void LiveTextLabel::setWords(const QString& words) {
    // Line breaks would start a second line: the words read on as one.
    words_ = words.simplified();
    elide();
}

void LiveTextLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void LiveTextLabel::elide() {
    const int room = contentsRect().width();
    setText(QFontMetrics(font()).elidedText(words_, Qt::ElideLeft, room));
}
