#pragma once

#include <QWidget>

#include <array>

class ErrorOverlayView;
class LiveTextLabel;
class Scheduler;
class SpinnerView;
class WaveformView;

// The floating window: an accent-coloured pill with rounded corners holding one of three
// contents, the waveform with an optional line of words beneath it. It never takes the focus
// and bypasses the window manager, so it shows on every virtual desktop and never in the
// taskbar.
class OverlayPanel final : public QWidget {
    Q_OBJECT
public:
    static constexpr double cornerRadius = 10;
    // Under the waveform: the row the waveform keeps, and the room around the line of words.
    static constexpr int waveformRowHeight = 28;
    static constexpr int liveTextPadding = 14;
    static constexpr int liveTextBottomMargin = 6;

    explicit OverlayPanel(Scheduler& scheduler);

    WaveformView* waveform() const { return waveform_; }
    SpinnerView* spinner() const { return spinner_; }
    ErrorOverlayView* errorView() const { return error_; }
    LiveTextLabel* liveText() const { return liveText_; }

    // Shows `content` alone at `size`; the line of words goes.
    void showContent(QWidget* content, QSize size);
    // The line of words under the waveform; empty takes it away. The caller sizes the panel.
    void setLiveText(const QString& words);
    bool showsLiveText() const;
    // The panel's height with the line of words: the waveform's row, the line, a margin.
    int heightWithLiveText() const;
    // Without a compositor the window is cut to the pill's shape, so no black corners show.
    void setShapedToPill(bool shaped);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::array<QWidget*, 3> contents() const;
    void layoutContents();
    void updateMask();

    WaveformView* waveform_;
    SpinnerView* spinner_;
    ErrorOverlayView* error_;
    LiveTextLabel* liveText_;
    bool shapedToPill_ = false;
};
