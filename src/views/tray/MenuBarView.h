#pragma once

#include "models/DictationMode.h"

#include <QMenu>
#include <QPointer>

#include <functional>

class AppSettings;
class AppState;
class QLabel;
class QWidgetAction;
class RecordingStateMachine;
class SpeechEngineSummary;
class SpeechModelDownloader;

// The tray icon's menu: the modes with a mark on the selected one, what Quillo is doing, a
// warning when no usable API key is set, the settings window and quitting. It follows the
// settings and the dictation state while it is open.
class MenuBarView : public QMenu {
    Q_OBJECT
public:
    // `pipelineMachine` is the machine that drives dictation; it may go away before the menu.
    // `openSettings` shows the settings window wired to the pipeline; `quit` ends the program.
    MenuBarView(AppSettings& settings, AppState& appState, RecordingStateMachine& pipelineMachine,
                std::function<void()> openSettings, std::function<void()> quit,
                QWidget* parent = nullptr);

    // Choosing the missing-key warning calls this (the composition root opens the Connection
    // section of the settings window with it).
    void setOpenConnectionSettings(std::function<void()> open);
    QWidget* apiKeyWarning() const;
    // The line naming the speech-to-text engine, or what keeps it from working; choosing it
    // opens the Connection section.
    QAction* engineAction() const { return engineAction_; }
    // Lets the engine line follow a model download.
    void setModelDownloader(SpeechModelDownloader* downloader);

    QAction* modeAction(DictationMode mode) const;
    QAction* settingsAction() const { return settingsAction_; }
    QAction* quitAction() const { return quitAction_; }

    // The mode the menu marks: the stored one, email when the stored value names no mode.
    static DictationMode markedMode(const QString& storedRawValue);

protected:
    // An open popup menu has the keyboard to itself, so its entries' shortcuts never reach
    // the shortcut map: the quit chord is handled here.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct LabelLine {
        QWidgetAction* action = nullptr;
        QLabel* symbol = nullptr;
        QLabel* text = nullptr;
    };

    LabelLine addLabelLine(const QString& objectName);
    static void showLine(const LabelLine& line, const QString& symbol, const QString& text,
                         const QColor& color);
    void refresh();
    void refreshModes();
    void refreshStatus();
    void refreshWarning();
    void refreshEngine();
    bool pipelineIsRecording() const;
    QColor secondaryColor() const;

    AppSettings& settings_;
    AppState& appState_;
    QPointer<RecordingStateMachine> pipelineMachine_;
    std::function<void()> openSettings_;
    std::function<void()> quit_;
    std::function<void()> openConnectionSettings_;
    QList<QAction*> modeActions_;
    LabelLine status_;
    SpeechEngineSummary* engineSummary_;
    QAction* engineAction_ = nullptr;
    QAction* warningSeparator_ = nullptr;
    LabelLine warning_;
    QAction* settingsAction_ = nullptr;
    QAction* quitAction_ = nullptr;
};
