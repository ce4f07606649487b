#include "views/settings/SettingsView.h"

#include "BuildConfig.h"
#include "models/AppSettings.h"
#include "theme/SemanticColors.h"
#include "views/settings/sections/ConnectionSettingsContent.h"
#include "views/settings/sections/GeneralSettingsContent.h"
#include "views/settings/sections/HomeSettingsContent.h"
#include "views/settings/sections/LocalTranscriptionCard.h"
#include "views/settings/sections/ModesSettingsContent.h"
#include "views/settings/sections/SystemSettingsContent.h"
#include "views/settings/SettingsSectionGroup.h"
#include "views/settings/SidebarButton.h"
#include "views/widgets/SettingsText.h"
#include "views/widgets/SymbolImage.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QSvgRenderer>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace {

constexpr int sidebarWidth = 250;

// A plain area filled with one semantic colour.
class FilledPanel : public QWidget {
public:
    enum class Fill { controlBackground, separator };
    explicit FilledPanel(Fill fill) : fill_(fill) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), fill_ == Fill::separator
                                            ? SemanticColors::separator(this)
                                            : SemanticColors::controlBackground(this));
    }

private:
    Fill fill_;
};

// A sidebar link: symbol and text in the secondary colour.
class LinkButton : public QAbstractButton {
public:
    LinkButton(QString symbol, const QString& text) : symbol_(std::move(symbol)) {
        setText(text);
        setFont(SemanticColors::systemFont(13));
        setCursor(Qt::PointingHandCursor);
    }
    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        return {20 + 14 + 8 + metrics.horizontalAdvance(text()) + 20, metrics.height() + 8};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor ink = SemanticColors::secondary(this);
        painter.drawPixmap(20, (height() - 14) / 2,
                           SymbolImage::pixmap(symbol_, 14, ink, devicePixelRatioF()));
        painter.setPen(ink);
        painter.drawText(QRect(20 + 14 + 8, 0, width(), height()), Qt::AlignLeft | Qt::AlignVCenter,
                         text());
    }

private:
    QString symbol_;
};

QLabel* logo() {
    auto* label = new QLabel;
    QSvgRenderer renderer(QStringLiteral(":/icons/QuilloLogo.svg"));
    const QSize size = renderer.defaultSize().scaled(QSize(1000, 52), Qt::KeepAspectRatio);
    const qreal ratio = label->devicePixelRatioF();
    QPixmap pixmap(size * ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(ratio);
    label->setPixmap(pixmap);
    label->setContentsMargins(20, 24, 0, 28);
    return label;
}

void open(const QUrl& url) {
    // An address that does not parse opens nothing.
    if (url.isValid() && !url.scheme().isEmpty())
        QDesktopServices::openUrl(url);
}

}  // namespace

SettingsView::SettingsView(AppSettings& settings, HotkeyField::ChangedCallback onHotkeyChanged,
                           Services services, QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      onHotkeyChanged_(std::move(onHotkeyChanged)),
      services_(services) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(buildSidebar());
    auto* rule = new FilledPanel(FilledPanel::Fill::separator);
    rule->setFixedWidth(1);
    row->addWidget(rule);

    scrollArea_ = new QScrollArea;
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setWidgetResizable(true);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setBackgroundRole(QPalette::Window);
    row->addWidget(scrollArea_, 1);

    buttons_.value(SettingsSection::home)->setSelected(true);
    content_ = makeContent(selected_);
}

QWidget* SettingsView::buildSidebar() {
    auto* sidebar = new FilledPanel(FilledPanel::Fill::controlBackground);
    sidebar->setObjectName(QStringLiteral("sidebar"));
    sidebar->setFixedWidth(sidebarWidth);
    auto* column = new QVBoxLayout(sidebar);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(logo());

    for (SettingsSectionGroup group : SettingsSectionGroup::allCases()) {
        auto* header =
            SettingsText::label(group.header(), 11, QFont::DemiBold, SettingsText::Tone::secondary);
        header->setContentsMargins(20, 0, 20, 8);
        column->addWidget(header);
        for (SettingsSection section : group.sections()) {
            auto* button = new SidebarButton(section);
            buttons_.insert(section.value(), button);
            connect(button, &QAbstractButton::clicked, this, [this, section] { select(section); });
            auto* padded = new QHBoxLayout;
            padded->setContentsMargins(8, 0, 8, 0);
            padded->addWidget(button);
            column->addLayout(padded);
        }
    }
    column->addStretch(1);

    auto* links = new QVBoxLayout;
    links->setSpacing(4);
    links->setContentsMargins(0, 0, 0, 12);
    //% "Help Center"
    helpLink_ = new LinkButton(QStringLiteral("questionmark.circle"), qtTrId("Hilfe-Center"));
    //% "Support"
    supportLink_ = new LinkButton(QStringLiteral("envelope"), qtTrId("Support"));
    connect(helpLink_, &QAbstractButton::clicked, this, [] { open(helpUrl()); });
    connect(supportLink_, &QAbstractButton::clicked, this, [] { open(supportUrl()); });
    links->addWidget(helpLink_);
    links->addWidget(supportLink_);
    column->addLayout(links);

    //% "Quillo v1.0.0"
    auto* version = SettingsText::label(qtTrId("Quillo v1.0.0"), 11);
    QPalette palette = version->palette();
    palette.setColor(QPalette::WindowText,
                     SemanticColors::withOpacity(SemanticColors::secondary(sidebar), 0.5));
    version->setPalette(palette);
    version->setContentsMargins(20, 0, 20, 20);
    column->addWidget(version);
    return sidebar;
}

SidebarButton* SettingsView::sidebarButton(SettingsSection section) const {
    return buttons_.value(section.value());
}

QUrl SettingsView::helpUrl() {
    return QUrl(QString::fromUtf8(BuildConfig::webUrl) + QStringLiteral("/help"), QUrl::StrictMode);
}

QUrl SettingsView::supportUrl() {
    return QUrl(QString::fromUtf8(BuildConfig::webUrl) + QStringLiteral("/support"),
                QUrl::StrictMode);
}

void SettingsView::select(SettingsSection section) {
    if (section == selected_)
        return;
    buttons_.value(selected_.value())->setSelected(false);
    selected_ = section;
    buttons_.value(selected_.value())->setSelected(true);
    content_ = makeContent(section);
}

QWidget* SettingsView::makeContent(SettingsSection section) {
    QWidget* content = nullptr;
    switch (section.value()) {
        case SettingsSection::home:
            content = new HomeSettingsContent(settings_, services_.modelDownloader);
            break;
        case SettingsSection::general: {
            auto* general = new GeneralSettingsContent(settings_, onHotkeyChanged_);
            if (services_.prepareHotkeyField && general->hotkeyField())
                services_.prepareHotkeyField(*general->hotkeyField());
            content = general;
            break;
    }
    case SettingsSection::system:
        content = new SystemSettingsContent(settings_, services_.loginItems,
                                            services_.activationPolicy, services_.audioSources);
        break;
    case SettingsSection::modes: content = new ModesSettingsContent(settings_); break;
    case SettingsSection::connection: {
        auto* connection = new ConnectionSettingsContent(settings_);
        if (services_.modelDownloader) {
            connection->extraCards()->addWidget(
                new LocalTranscriptionCard(settings_, *services_.modelDownloader,
                                           services_.speechDevice));
        }
        content = connection;
        break;
    }
    }
    auto* page = new QWidget;
    page->setBackgroundRole(QPalette::Window);
    auto* padded = new QVBoxLayout(page);
    padded->setContentsMargins(40, 40, 40, 40);
    padded->addWidget(content);
    padded->addStretch(1);
    // Replacing the scroll area's widget deletes the previous section.
    scrollArea_->setWidget(page);
    scrollArea_->verticalScrollBar()->setValue(0);
    return content;
}
