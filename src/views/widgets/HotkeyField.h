#pragma once

#include "views/widgets/KeyCaptureView.h"

#include <QPointer>
#include <QSet>
#include <QWidget>

#include <functional>
#include <optional>
#include <utility>

class AppSettings;
class QAbstractButton;
class QHBoxLayout;
class QLabel;

// Shows the stored hotkey as key caps; a click starts recording, and the next accepted key
// or lone modifier becomes the new hotkey: it is stored and reported to `onChanged`. A lone
// modifier counts on its release, when no other key came between its press and release, so
// that a modifier pressed after the click can still begin a combination.
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

    // Where the session binds key combinations only (a desktop portal), a lone modifier is
    // refused with a message instead of being stored as a hotkey that never fires.
    void setCanBindLoneModifiers(bool canBind) { canBindLoneModifiers_ = canBind; }
    // A line under the field about the desktop's binding (taken, changed); empty hides it.
    void setNotice(const QString& text);
    QString notice() const;
    // What the desktop reported about the hotkey's binding.
    void showTriggerTaken();
    void showTriggerChanged(const QString& description);
    // GNOME holds the keys for one of its actions (`description`, as its keyboard settings name
    // it): offers to choose another hotkey and, when `freeKeys` is given, to free those keys.
    void showDesktopConflict(const QString& description, std::function<bool()> freeKeys);
    QAbstractButton* chooseAnotherButton() const { return chooseAnother_; }
    QAbstractButton* freeKeysButton() const { return freeKeys_; }
    // Where a held key cannot be told from a tap (GNOME's key repeat is off): says that only
    // the double press records.
    void setHoldUnavailable(bool unavailable);
    QString holdNote() const;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    enum class FaceRebuild { now, later };
    void setRecording(bool recording, FaceRebuild rebuild = FaceRebuild::now);
    void rebuildFace();
    QWidget* buildConflictActions();

    AppSettings& settings_;
    ChangedCallback onChanged_;
    bool recording_ = false;
    // Modifiers pressed since recording began and not yet released.
    QSet<int> modifiersDown_;
    // The modifier that becomes the hotkey if it is released before any other key goes down,
    // and the key code to store for it.
    std::optional<std::pair<int, int>> loneModifier_;
    QAbstractButton* button_;
    QHBoxLayout* faceLayout_;
    QLabel* enterNewHint_;
    QLabel* notice_ = nullptr;
    QWidget* conflictActions_ = nullptr;
    QAbstractButton* chooseAnother_ = nullptr;
    QAbstractButton* freeKeys_ = nullptr;
    std::function<bool()> freeConflict_;
    QLabel* holdNote_ = nullptr;
    bool canBindLoneModifiers_ = true;
    QPointer<KeyCaptureView> capture_;
};
