#include "views/settings/sections/HomeSettingsContent.h"

#include "models/AppSettings.h"
#include "services/hotkey/HotkeyUtils.h"
#include "theme/SemanticColors.h"
#include "views/settings/sections/HistoryRow.h"
#include "views/widgets/ClampedTextLabel.h"
#include "views/widgets/KeyCap.h"
#include "views/widgets/SectionTitle.h"
#include "views/SpeechEngineSummary.h"
#include "views/widgets/SettingsCard.h"
#include "views/widgets/SettingsDivider.h"
#include "views/widgets/SettingsText.h"
#include "views/widgets/SymbolImage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int historyLimit = 30;

// The guide: white text on a panel filled with the text colour.
class GuideCard : public QWidget {
public:
    GuideCard() { setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(SemanticColors::primary(this));
        painter.drawRoundedRect(rect(), 10, 10);
    }
};

void clearLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (item->layout()) clearLayout(item->layout());
        delete item->widget();
        delete item;
    }
}

QString dayText(const DictationEntry& entry) {
    return QLocale().toString(entry.date().toLocalTime().date(), QLocale::LongFormat);
}

QString shortTimeText(const DictationEntry& entry) {
    // Some locales' short format still carries seconds (the C locale's "HH:mm:ss"); a
    // history row shows hours and minutes only.
    QString format = QLocale().timeFormat(QLocale::ShortFormat);
    format.remove(QStringLiteral(":ss")).remove(QStringLiteral(".ss"));
    return QLocale().toString(entry.date().toLocalTime().time(), format);
}

QWidget* historyRow(const DictationEntry& entry) {
    auto* row = new HistoryRow(shortTimeText(entry), entry.text);
    row->setObjectName(QStringLiteral("historyRow"));
    return row;
}

}  // namespace

HomeSettingsContent::HomeSettingsContent(AppSettings& settings, SpeechModelDownloader* downloader,
                                         QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      guideCaps_(new QHBoxLayout),
      history_(new QVBoxLayout),
      engineSummary_(new SpeechEngineSummary(settings, this)),
      engineSymbol_(new QLabel),
      engineText_(SettingsText::label({}, 13)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(24);
    //% "Home"
    column->addWidget(new SectionTitle(qtTrId("home.title")));

    auto* guide = new GuideCard;
    guide->setObjectName(QStringLiteral("guideCard"));
    auto* guideColumn = new QVBoxLayout(guide);
    guideColumn->setContentsMargins(20, 20, 20, 20);
    guideColumn->setSpacing(10);
    //% "Hold your shortcut and speak"
    auto* guideTitle = SettingsText::label(qtTrId("home.guide_title"), 16, QFont::DemiBold);
    //% "Release it and Quillo types what you said into the app you are using. Press it twice to dictate hands-free."
    auto* guideSubtitle = SettingsText::label(qtTrId("home.guide_subtitle"), 13);
    guideSubtitle->setWordWrap(true);
    // White on the dark fill of a light theme; in a dark theme the fill is light, so the ink
    // is the window colour.
    const QColor ink = SemanticColors::isDark(this) ? SemanticColors::windowBackground(this)
                                                    : QColor(Qt::white);
    for (QLabel* label : {guideTitle, guideSubtitle}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText,
                         SemanticColors::withOpacity(ink, label == guideSubtitle ? 0.8 : 1.0));
        label->setPalette(palette);
        guideColumn->addWidget(label);
    }
    guideCaps_->setSpacing(8);
    guideColumn->addLayout(guideCaps_);
    column->addWidget(guide);

    auto* engineCard = new SettingsCard;
    auto* engineRow = new QHBoxLayout;
    engineRow->setSpacing(8);
    engineText_->setObjectName(QStringLiteral("homeEngineLine"));
    engineText_->setWordWrap(true);
    engineRow->addWidget(engineSymbol_);
    engineRow->addWidget(engineText_, 1);
    engineCard->contentLayout()->addLayout(engineRow);
    column->addWidget(engineCard);
    connect(engineSummary_, &SpeechEngineSummary::changed, this,
            &HomeSettingsContent::refreshEngineLine);
    engineSummary_->setDownloader(downloader);

    history_->setContentsMargins(0, 0, 0, 0);
    history_->setSpacing(24);
    column->addLayout(history_);

    connect(&settings_, &AppSettings::changed, this, [this](const QString& key) {
        if (key == QLatin1String(AppSettings::Keys::hotkeyKeyCode) ||
            key == QLatin1String(AppSettings::Keys::hotkeyModifiers)) {
            rebuildGuideCaps();
        } else if (key == QLatin1String(AppSettings::Keys::dictationHistory)) {
            rebuildHistory();
        }
    });
    rebuildGuideCaps();
    rebuildHistory();
}

QList<HomeSettingsContent::DayGroup> HomeSettingsContent::groupedDictations(
    const QList<DictationEntry>& newestFirst) {
    QList<DayGroup> groups;
    for (const DictationEntry& entry : newestFirst.mid(0, historyLimit)) {
        const QString day = dayText(entry);
        if (groups.isEmpty() || groups.last().first != day) groups.append({day, {}});
        groups.last().second.append(entry);
    }
    return groups;
}

void HomeSettingsContent::rebuildGuideCaps() {
    clearLayout(guideCaps_);
    const auto parts = HotkeyUtils::keyParts(int(settings_.hotkeyKeyCode()),
                                             quint32(settings_.hotkeyModifiers()));
    for (const QString& part : parts) {
        guideCaps_->addWidget(new KeyCap(part, SemanticColors::systemFont(14, QFont::DemiBold),
                                         QMargins(12, 6, 12, 6), 6, KeyCap::Look::onGuide));
    }
    guideCaps_->addStretch(1);
}

void HomeSettingsContent::rebuildHistory() {
    clearLayout(history_);
    const auto groups = groupedDictations(settings_.recentDictations());
    if (groups.isEmpty()) {
        auto* card = new SettingsCard;
        card->setObjectName(QStringLiteral("noHistoryCard"));
        //% "No dictations yet. Your recent dictations will appear here."
        auto* empty = SettingsText::label(qtTrId("home.no_history"), 13, QFont::Normal,
                                          SettingsText::Tone::secondary);
        empty->setAlignment(Qt::AlignCenter);
        empty->setContentsMargins(0, 12, 0, 12);
        card->contentLayout()->addWidget(empty);
        history_->addWidget(card);
        return;
    }
    for (const DayGroup& group : groups) {
        // The day's heading sits close to its card, the cards keep the section's spacing.
        auto* block = new QVBoxLayout;
        block->setSpacing(8);
        auto* day = SettingsText::label(group.first, 11, QFont::DemiBold,
                                        SettingsText::Tone::secondary);
        day->setObjectName(QStringLiteral("historyDay"));
        day->setContentsMargins(0, 4, 0, 0);
        block->addWidget(day);
        auto* card = new SettingsCard;
        card->setObjectName(QStringLiteral("historyCard"));
        for (qsizetype i = 0; i < group.second.size(); ++i) {
            if (i > 0) card->contentLayout()->addWidget(new SettingsDivider);
            card->contentLayout()->addWidget(historyRow(group.second[i]));
        }
        block->addWidget(card);
        history_->addLayout(block);
    }
}

void HomeSettingsContent::refreshEngineLine() {
    const QColor colour =
        engineSummary_->needsAttention() ? QColor(255, 149, 0) : SemanticColors::secondary(this);
    engineSymbol_->setPixmap(
        SymbolImage::pixmap(engineSummary_->symbol(), 16, colour, devicePixelRatioF()));
    engineText_->setText(engineSummary_->text());
}
