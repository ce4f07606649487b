#pragma once

#include "models/DictationMode.h"

#include <QMap>
#include <QWidget>

#include <optional>

class AppSettings;
class PillButton;
class QLabel;
class QPlainTextEdit;
class SegmentedControl;

// The Modes section: which mode the next dictation uses, and the custom instructions of every
// mode that is formatted by the language model. At most one editor is open at a time; every
// edit is stored at once.
class ModesSettingsContent : public QWidget {
    Q_OBJECT
public:
    explicit ModesSettingsContent(AppSettings& settings, QWidget* parent = nullptr);

    // The parts of one mode's card; the raw mode has none.
    struct ModeCard {
        QLabel* badge = nullptr;
        PillButton* reset = nullptr;
        PillButton* edit = nullptr;
        QWidget* editorFrame = nullptr;
        QPlainTextEdit* editor = nullptr;
    };

    SegmentedControl* modeChoice() const { return modeChoice_; }
    ModeCard card(DictationMode mode) const { return cards_.value(mode.value()); }
    std::optional<DictationMode> editingMode() const { return editingMode_; }

private:
    QWidget* buildModeCard(DictationMode mode);
    void toggleEditing(DictationMode mode);
    void resetPrompt(DictationMode mode);
    void promptEdited(DictationMode mode);
    void setEditingMode(std::optional<DictationMode> mode);
    void refreshCard(DictationMode mode);

    AppSettings& settings_;
    SegmentedControl* modeChoice_;
    QMap<int, ModeCard> cards_;
    std::optional<DictationMode> editingMode_;
};
