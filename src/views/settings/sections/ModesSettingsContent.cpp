#include "views/settings/sections/ModesSettingsContent.h"

#include "models/AppSettings.h"
#include "theme/QuilloTheme.h"
#include "theme/SemanticColors.h"
#include "views/widgets/PillButton.h"
#include "views/widgets/SectionSubtitle.h"
#include "views/widgets/SectionTitle.h"
#include "views/widgets/SegmentedControl.h"
#include "views/widgets/SettingsCard.h"
#include "views/widgets/SettingsText.h"
#include "views/widgets/SymbolImage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include "views/settings/sections/VocabularyCards.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

// The rounded text-background frame around a prompt editor.
class EditorFrame : public QWidget {
public:
    EditorFrame() { setFixedHeight(110); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(SemanticColors::withOpacity(SemanticColors::separator(this), 0.5), 0.5));
        painter.setBrush(SemanticColors::textBackground(this));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.25, 0.25, -0.25, -0.25), 8, 8);
    }
};

QLabel* customBadge() {
    //% "Custom"
    auto* badge = new QLabel(qtTrId("modes.custom"));
    badge->setFont(SemanticColors::systemFont(10, QFont::Medium));
    const QColor accent = QuilloTheme::accent();
    badge->setStyleSheet(QStringLiteral("QLabel { color: %1; background: rgba(%2, %3, %4, 0.12);"
                                        " border-radius: 8px; padding: 2px 6px; }")
                             .arg(accent.name())
                             .arg(accent.red())
                             .arg(accent.green())
                             .arg(accent.blue()));
    return badge;
}

QString editTitle(bool editing) {
    //% "Done"
    //: Ends editing a mode's instructions.
    if (editing) return qtTrId("modes.done");
    //% "Edit"
    return qtTrId("modes.edit");
}

}  // namespace

ModesSettingsContent::ModesSettingsContent(AppSettings& settings, QWidget* parent)
    : QWidget(parent), settings_(settings), modeChoice_(nullptr) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(24);
    //% "Modes"
    column->addWidget(new SectionTitle(qtTrId("modes.title")));
    //% "Active mode"
    const QString activeTitle = qtTrId("modes.active");
    column->addWidget(new SectionSubtitle(activeTitle));

    QList<SegmentedControl::Segment> segments;
    for (DictationMode mode : DictationMode::allCases()) {
        segments.append({mode.rawValue(), mode.displayName()});
    }
    modeChoice_ = new SegmentedControl(segments);
    modeChoice_->setAccessibleName(activeTitle);
    modeChoice_->setValue(settings_.selectedModeRaw());
    connect(modeChoice_, &SegmentedControl::valueChosen, this,
            [this](const QString& raw) { settings_.setSelectedModeRaw(raw); });
    auto* choiceCard = new SettingsCard;
    choiceCard->contentLayout()->addWidget(modeChoice_);
    column->addWidget(choiceCard);

    //% "Custom instructions"
    column->addWidget(new SectionSubtitle(qtTrId("modes.custom_instructions")));
    for (DictationMode mode : DictationMode::allCases()) {
        if (mode.skipsLLM()) continue;
        column->addWidget(buildModeCard(mode));
    }

    auto* infoCard = new SettingsCard;
    auto* info = new QHBoxLayout;
    info->setSpacing(8);
    auto* symbol = new QLabel;
    symbol->setPixmap(SymbolImage::pixmap(QStringLiteral("info.circle"), 13,
                                         SemanticColors::secondary(this), devicePixelRatioF()));
    info->addWidget(symbol, 0, Qt::AlignTop);
    //% "Raw mode pastes the recognised text as it is, without any rewriting."
    auto* rawInfo = SettingsText::label(qtTrId("modes.raw_info"), 12, QFont::Normal,
                                        SettingsText::Tone::secondary);
    rawInfo->setWordWrap(true);
    info->addWidget(rawInfo, 1);
    infoCard->contentLayout()->addLayout(info);
    column->addWidget(infoCard);
    column->addWidget(new VocabularyCards(settings_));

    connect(&settings_, &AppSettings::changed, this, [this](const QString& key) {
        if (key == QLatin1String(AppSettings::Keys::selectedMode)) {
            modeChoice_->setValue(settings_.selectedModeRaw());
            return;
        }
        for (DictationMode mode : DictationMode::allCases()) {
            if (key == QLatin1String(AppSettings::Keys::customPromptPrefix) + mode.rawValue()) {
                refreshCard(mode);
            }
        }
    });
}

QWidget* ModesSettingsContent::buildModeCard(DictationMode mode) {
    auto* card = new SettingsCard;
    card->setObjectName(QStringLiteral("modeCard_") + mode.rawValue());
    QVBoxLayout* stack = card->contentLayout();
    stack->setSpacing(10);

    ModeCard parts;
    auto* header = new QHBoxLayout;
    header->addWidget(SettingsText::label(mode.displayName(), 13, QFont::DemiBold));
    parts.badge = customBadge();
    header->addWidget(parts.badge);
    header->addStretch(1);
    //% "Reset"
    parts.reset = new PillButton(qtTrId("modes.reset"), PillButton::Style::secondary);
    header->addWidget(parts.reset);
    parts.edit = new PillButton(editTitle(false), PillButton::Style::secondary);
    header->addWidget(parts.edit);
    stack->addLayout(header);

    parts.editorFrame = new EditorFrame;
    auto* frameLayout = new QVBoxLayout(parts.editorFrame);
    frameLayout->setContentsMargins(10, 10, 10, 10);
    parts.editor = new QPlainTextEdit;
    parts.editor->setAccessibleName(
        QStringLiteral("%1: %2").arg(qtTrId("modes.custom_instructions"), mode.displayName()));
    parts.editor->setFrameShape(QFrame::NoFrame);
    parts.editor->setFont(SemanticColors::systemFont(12, QFont::Normal, true));
    parts.editor->viewport()->setAutoFillBackground(false);
    parts.editor->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
    frameLayout->addWidget(parts.editor);
    parts.editorFrame->hide();
    stack->addWidget(parts.editorFrame);

    cards_.insert(mode.value(), parts);
    connect(parts.edit, &QAbstractButton::clicked, this, [this, mode] { toggleEditing(mode); });
    connect(parts.reset, &QAbstractButton::clicked, this, [this, mode] { resetPrompt(mode); });
    connect(parts.editor, &QPlainTextEdit::textChanged, this, [this, mode] { promptEdited(mode); });
    refreshCard(mode);
    return card;
}

void ModesSettingsContent::toggleEditing(DictationMode mode) {
    setEditingMode(editingMode_ == mode ? std::nullopt : std::optional<DictationMode>(mode));
}

void ModesSettingsContent::resetPrompt(DictationMode mode) {
    settings_.setCustomPrompt(QString(), mode);
    if (editingMode_ == mode) setEditingMode(std::nullopt);
}

void ModesSettingsContent::promptEdited(DictationMode mode) {
    const ModeCard parts = card(mode);
    // Emptied, the custom prompt is gone, but the editor keeps what the user typed (nothing)
    // so that a prompt can be cleared and written anew; the built-in one shows again when the
    // editor is next opened.
    settings_.setCustomPrompt(parts.editor->toPlainText(), mode);
}

void ModesSettingsContent::setEditingMode(std::optional<DictationMode> mode) {
    editingMode_ = mode;
    for (DictationMode each : DictationMode::allCases()) {
        if (!cards_.contains(each.value())) continue;
        const ModeCard parts = card(each);
        const bool editing = editingMode_ == each;
        if (editing && parts.editorFrame->isHidden()) {
            const QSignalBlocker blocker(parts.editor);
            parts.editor->setPlainText(settings_.effectivePrompt(each));
        }
        parts.editorFrame->setVisible(editing);
        parts.edit->setText(editTitle(editing));
        parts.edit->updateGeometry();
        if (editing) parts.editor->setFocus();
    }
}

void ModesSettingsContent::refreshCard(DictationMode mode) {
    const ModeCard parts = card(mode);
    if (!parts.badge) return;
    const bool custom = !settings_.customPrompt(mode).isEmpty();
    parts.badge->setVisible(custom);
    parts.reset->setVisible(custom);
}
