#include "views/overlay/OverlayPanel.h"

#include "theme/QuilloTheme.h"
#include "views/overlay/ErrorOverlayView.h"
#include "views/overlay/LiveTextLabel.h"
#include "views/overlay/SpinnerView.h"
#include "views/overlay/WaveformView.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {

QPainterPath pillPath(const QRectF& rect) {
    QPainterPath path;
    path.addRoundedRect(rect, OverlayPanel::cornerRadius, OverlayPanel::cornerRadius);
    return path;
}

}  // namespace

OverlayPanel::OverlayPanel(Scheduler& scheduler)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint),
      waveform_(new WaveformView(scheduler, this)),
      spinner_(new SpinnerView(scheduler, this)),
      error_(new ErrorOverlayView(this)),
      liveText_(new LiveTextLabel(this)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    for (QWidget* content : contents()) {
        content->setFocusPolicy(Qt::NoFocus);
        content->hide();
    }
    liveText_->setFocusPolicy(Qt::NoFocus);
    liveText_->hide();
}

std::array<QWidget*, 3> OverlayPanel::contents() const {
    return {waveform_, spinner_, error_};
}

void OverlayPanel::showContent(QWidget* content, QSize size) {
    for (QWidget* child : contents()) {
        child->setVisible(child == content);
    }
    setLiveText({});
    resize(size);
    layoutContents();
    update();
}

void OverlayPanel::setLiveText(const QString& words) {
    liveText_->setWords(words);
    liveText_->setVisible(!liveText_->words().isEmpty() && waveform_->isVisibleTo(this));
    layoutContents();
}

bool OverlayPanel::showsLiveText() const {
    return liveText_->isVisibleTo(this);
}

int OverlayPanel::heightWithLiveText() const {
    return waveformRowHeight + QFontMetrics(liveText_->font()).height() + liveTextBottomMargin;
}

// The contents fill the pill; with the line of words the waveform keeps its row at the top.
void OverlayPanel::layoutContents() {
    for (QWidget* child : contents()) {
        child->setGeometry(rect());
    }
    if (showsLiveText()) {
        waveform_->setGeometry(0, 0, width(), waveformRowHeight);
        const int lineHeight = QFontMetrics(liveText_->font()).height();
        liveText_->setGeometry(liveTextPadding, waveformRowHeight, width() - 2 * liveTextPadding,
                               lineHeight);
    }
}

void OverlayPanel::setShapedToPill(bool shaped) {
    if (shaped == shapedToPill_) {
        return;
    }
    shapedToPill_ = shaped;
    updateMask();
}

void OverlayPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QuilloTheme::accent());
    painter.drawPath(pillPath(QRectF(rect())));
}

void OverlayPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutContents();
    updateMask();
}

void OverlayPanel::updateMask() {
    if (!shapedToPill_) {
        clearMask();
        return;
    }
    setMask(QRegion(pillPath(QRectF(rect())).toFillPolygon().toPolygon()));
}
