#include "views/tray/MenuBarView.h"

#include "models/AppSettings.h"
#include "models/AppState.h"
#include "models/RecordingStateMachine.h"
#include "theme/QuilloTheme.h"
#include "views/SpeechEngineSummary.h"
#include "views/widgets/SymbolImage.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QWidgetAction>

namespace {

constexpr int symbolSize = 16;

const QColor& systemOrange() {
    static const QColor orange(255, 149, 0);
    return orange;
}

}  // namespace

MenuBarView::MenuBarView(AppSettings& settings, AppState& appState,
                         RecordingStateMachine& pipelineMachine, std::function<void()> openSettings,
                         std::function<void()> quit, QWidget* parent)
    : QMenu(parent),
      settings_(settings),
      appState_(appState),
      pipelineMachine_(&pipelineMachine),
      openSettings_(std::move(openSettings)),
      quit_(std::move(quit)),
      engineSummary_(new SpeechEngineSummary(settings, this)) {
    // Checkable in one exclusive group: assistive technology reads which mode is on.
    auto* modes = new QActionGroup(this);
    modes->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    for (DictationMode mode : DictationMode::allCases()) {
        QAction* action = addAction(QString());
        action->setData(mode.rawValue());
        action->setCheckable(true);
        modes->addAction(action);
        connect(action, &QAction::triggered, this,
                [this, mode] { settings_.setSelectedModeRaw(mode.rawValue()); });
        modeActions_.append(action);
    }
    addSeparator();
    status_ = addLabelLine(QStringLiteral("statusLine"));
    engineAction_ = addAction(QString());
    engineAction_->setObjectName(QStringLiteral("speechEngineLine"));
    connect(engineAction_, &QAction::triggered, this, [this] {
        if (openConnectionSettings_) {
            openConnectionSettings_();
        } else if (openSettings_) {
            openSettings_();
        }
    });
    connect(engineSummary_, &SpeechEngineSummary::changed, this, &MenuBarView::refreshEngine);
    warningSeparator_ = addSeparator();
    warning_ = addLabelLine(QStringLiteral("apiKeyWarning"));
    apiKeyWarning()->installEventFilter(this);
    addSeparator();
    settingsAction_ = addAction(QString());
    connect(settingsAction_, &QAction::triggered, this, [this] {
        if (openSettings_) {
            openSettings_();
        }
    });
    quitAction_ = addAction(QString());
    quitAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quitAction_, &QAction::triggered, this, [this] {
        if (quit_) {
            quit_();
        }
    });

    connect(&settings_, &AppSettings::changed, this, &MenuBarView::refresh);
    connect(&appState_, &AppState::recordingStateChanged, this, &MenuBarView::refreshStatus);
    connect(&pipelineMachine, &RecordingStateMachine::stateChanged, this,
            &MenuBarView::refreshStatus);
    connect(this, &QMenu::aboutToShow, this, &MenuBarView::refresh);
    refresh();
}

void MenuBarView::setOpenConnectionSettings(std::function<void()> open) {
    openConnectionSettings_ = std::move(open);
    apiKeyWarning()->setCursor(openConnectionSettings_ ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void MenuBarView::setModelDownloader(SpeechModelDownloader* downloader) {
    engineSummary_->setDownloader(downloader);
}

QWidget* MenuBarView::apiKeyWarning() const { return warning_.action->defaultWidget(); }

bool MenuBarView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == apiKeyWarning() && event->type() == QEvent::MouseButtonRelease &&
        openConnectionSettings_) {
        hide();
        openConnectionSettings_();
        return true;
    }
    return QMenu::eventFilter(watched, event);
}

QAction* MenuBarView::modeAction(DictationMode mode) const {
    return modeActions_.value(static_cast<int>(mode.value()));
}

DictationMode MenuBarView::markedMode(const QString& storedRawValue) {
    return DictationMode::fromRawValue(storedRawValue).value_or(DictationMode::email);
}

void MenuBarView::keyPressEvent(QKeyEvent* event) {
    if (QKeySequence(event->keyCombination()) == quitAction_->shortcut()) {
        hide();
        quitAction_->trigger();
        return;
    }
    QMenu::keyPressEvent(event);
}

MenuBarView::LabelLine MenuBarView::addLabelLine(const QString& objectName) {
    LabelLine line;
    auto* widget = new QWidget(this);
    widget->setObjectName(objectName);
    auto* layout = new QHBoxLayout(widget);
    // Lines up with the icons and texts of the menu's entries.
    layout->setContentsMargins(8, 4, 12, 4);
    layout->setSpacing(6);
    line.symbol = new QLabel(widget);
    line.symbol->setObjectName(objectName + QStringLiteral("Symbol"));
    line.symbol->setFixedSize(symbolSize, symbolSize);
    line.text = new QLabel(widget);
    line.text->setObjectName(objectName + QStringLiteral("Text"));
    layout->addWidget(line.symbol);
    layout->addWidget(line.text, 1);
    line.action = new QWidgetAction(this);
    // Left enabled: a disabled line would grey its symbol whatever colour it is given.
    // Clicking it does nothing, as the widget takes the click and nothing listens.
    line.action->setDefaultWidget(widget);
    addAction(line.action);
    return line;
}

void MenuBarView::showLine(const LabelLine& line, const QString& symbol, const QString& text,
                           const QColor& color) {
    line.symbol->setPixmap(
        SymbolImage::pixmap(symbol, symbolSize, color, line.symbol->devicePixelRatioF()));
    line.symbol->setProperty("symbol", symbol);
    line.text->setText(text);
    // The menu announces its entries by their action's text; the widget draws it.
    line.action->setText(text);
    line.action->defaultWidget()->setAccessibleName(text);
    QPalette palette = line.text->palette();
    palette.setColor(QPalette::WindowText, color);
    line.text->setPalette(palette);
}

void MenuBarView::refresh() {
    refreshModes();
    refreshStatus();
    refreshEngine();
    refreshWarning();
    //% "Settings…"
    settingsAction_->setText(qtTrId("menu.settings"));
    //% "Quit Quillo"
    quitAction_->setText(qtTrId("menu.quit"));
}

void MenuBarView::refreshModes() {
    const DictationMode marked = markedMode(settings_.selectedModeRaw());
    for (DictationMode mode : DictationMode::allCases()) {
        QAction* action = modeAction(mode);
        const bool selected = mode == marked;
        const QString symbol =
            selected ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("circle");
        action->setText(mode.displayName());
        action->setChecked(selected);
        action->setIcon(SymbolImage::icon(symbol, symbolSize,
                                          selected ? QuilloTheme::accent() : secondaryColor()));
        action->setProperty("symbol", symbol);
    }
}

bool MenuBarView::pipelineIsRecording() const {
    return pipelineMachine_ && isRecording(pipelineMachine_->state());
}

void MenuBarView::refreshStatus() {
    // The machine leads the published state by a turn of the event loop; while it records,
    // its word wins.
    if (pipelineIsRecording()) {
        //% "Recording…"
        showLine(status_, QStringLiteral("mic.fill"), qtTrId("menu.status.recording"),
                 QuilloTheme::accent());
    } else if (appState_.recordingState() == RecordingStateValue::processing) {
        //% "Processing…"
        showLine(status_, QStringLiteral("arrow.triangle.2.circlepath"),
                 qtTrId("menu.status.processing"), palette().color(QPalette::WindowText));
    } else {
        //% "Hold the hotkey to dictate"
        showLine(status_, QStringLiteral("keyboard"), qtTrId("menu.status.hotkey_hint"),
                 secondaryColor());
    }
}

void MenuBarView::refreshEngine() {
    const bool attention = engineSummary_->needsAttention();
    const QString symbol = engineSummary_->symbol();
    engineAction_->setText(engineSummary_->text());
    engineAction_->setIcon(
        SymbolImage::icon(symbol, symbolSize, attention ? systemOrange() : secondaryColor()));
    engineAction_->setProperty("symbol", symbol);
}

void MenuBarView::refreshWarning() {
    const bool missing = !settings_.hasValidAPIKey();
    warningSeparator_->setVisible(missing);
    warning_.action->setVisible(missing);
    // Named while hidden too: an assistive tool may list the menu's hidden entries.
    //% "No API key set"
    showLine(warning_, QStringLiteral("exclamationmark.triangle"), qtTrId("menu.api_key_missing"),
             systemOrange());
}

QColor MenuBarView::secondaryColor() const {
    return palette().color(QPalette::PlaceholderText);
}
