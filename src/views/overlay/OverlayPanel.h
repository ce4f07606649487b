#pragma once

#include <QWidget>

#include <array>

class ErrorOverlayView;
class Scheduler;
class SpinnerView;
class WaveformView;

// The floating window: an accent-coloured pill with rounded corners holding one of three
// contents. It never takes the focus and bypasses the window manager, so it shows on every
// virtual desktop and never in the taskbar.
class OverlayPanel final : public QWidget {
    Q_OBJECT
public:
    static constexpr double cornerRadius = 10;

    explicit OverlayPanel(Scheduler& scheduler);

    WaveformView* waveform() const { return waveform_; }
    SpinnerView* spinner() const { return spinner_; }
    ErrorOverlayView* errorView() const { return error_; }

    // Shows `content` alone at `size`.
    void showContent(QWidget* content, QSize size);
    // Without a compositor the window is cut to the pill's shape, so no black corners show.
    void setShapedToPill(bool shaped);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::array<QWidget*, 3> contents() const;
    void updateMask();

    WaveformView* waveform_;
    SpinnerView* spinner_;
    ErrorOverlayView* error_;
    bool shapedToPill_ = false;
};
