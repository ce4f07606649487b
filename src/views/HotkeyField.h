#pragma once

#include "views/KeyCaptureView.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class AppSettings;
class QAbstractButton;
class QHBoxLayout;
class QLabel;

// Shows the stored hotkey as key caps; a click starts recording, and the next accepted key
// or lone modifier becomes the new hotkey: it is stored and reported to `onChanged`.
class HotkeyField : public QWidget {
    Q_OBJECT
public:
    using ChangedCallback = std::function<void(int keyCode, int modifiers)>;

    HotkeyField(AppSettings& settings, ChangedCallback onChanged, QWidget* parent = nullptr);

    bool isRecording() const { return recording_; }
    // Starts or ends recording, as a click on the field does.
    void toggleRecording() { setRecording(!recording_); }
    QAbstractButton* button() const { return button_; }
    // Present only while recording.
    KeyCaptureView* captureView() const { return capture_; }

    void handleKeyEvent(const CapturedKey& key);
    void handleFlagsChanged(const CapturedKey& key);
    void applyHotkey(int keyCode, int modifiers);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void setRecording(bool recording);
    void rebuildFace();

    AppSettings& settings_;
    ChangedCallback onChanged_;
    bool recording_ = false;
    QAbstractButton* button_;
    QHBoxLayout* faceLayout_;
    QLabel* enterNewHint_;
    QPointer<KeyCaptureView> capture_;
};
