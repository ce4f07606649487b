#pragma once

#include "base/TimerHandle.h"
#include "dictation/DictationOverlay.h"

#include <QSize>

#include <chrono>
#include <memory>

class CompositorStatus;
class OverlayPanel;
class QWidget;
class Scheduler;

// The floating pill near the bottom centre of the screen the user works on: a live waveform
// while recording (with the words heard so far beneath it, when the pipeline sends them), a
// spinner while processing, a short error line on failure. The panel is created on first use
// and reused; while it is hidden no timer runs.
class OverlayWindowController final : public DictationOverlay {
public:
    static constexpr QSize defaultSize{72, 28};
    static constexpr int errorHeight = 32;
    // Wide enough for a few words; the same for every text, so the pill does not jitter.
    static constexpr int liveTextWidth = 300;
    static constexpr int bottomMargin = 40;
    static constexpr std::chrono::milliseconds levelInterval{33};  // 30 Hz
    static constexpr std::chrono::milliseconds errorDisplayTime{4000};

    OverlayWindowController(Scheduler& scheduler, CompositorStatus& compositor);
    ~OverlayWindowController() override;
    OverlayWindowController(const OverlayWindowController&) = delete;
    OverlayWindowController& operator=(const OverlayWindowController&) = delete;

    Content show(RecordingStateValue state, AudioLevelSource* levels) override;
    void showLiveText(Content content, const QString& text) override;
    void showError(const QString& message) override;
    void dismiss() override;
    void dismissIfShowing(Content content) override;

    // Characters (as the user perceives them) × 7.5 + 40, kept within 160 to 400.
    static int errorWidth(const QString& message);

    // The panel once created, else null.
    QWidget* panel() const;
    // The source the waveform samples, if any.
    AudioLevelSource* levelSource() const { return levels_; }

private:
    void ensurePanel();
    void showWaveform();
    void showSpinner();
    void stopAnimations();
    void placeAndRaise();

    Scheduler& scheduler_;
    CompositorStatus& compositor_;
    std::unique_ptr<OverlayPanel> panel_;
    AudioLevelSource* levels_ = nullptr;
    TimerHandle levelTimer_;
    TimerHandle errorDismissal_;
    // What is on screen now (noContent while hidden) and the last name handed out.
    Content showing_ = noContent;
    bool showingWaveform_ = false;
    Content lastContent_ = noContent;
};
