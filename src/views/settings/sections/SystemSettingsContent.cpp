#include "views/settings/sections/SystemSettingsContent.h"

#include "models/AppSettings.h"
#include "platform/ActivationPolicy.h"
#include "platform/DefaultsStore.h"
#include "platform/LoginItemService.h"
#include "views/settings/sections/MicrophoneChoice.h"
#include "views/widgets/QuilloToggleStyle.h"
#include "views/widgets/SectionSubtitle.h"
#include "views/widgets/SectionTitle.h"
#include "views/widgets/SettingsCard.h"
#include "views/widgets/SettingsRow.h"

#include <QComboBox>
#include <QVBoxLayout>

namespace {

QComboBox* choiceBox(const QList<SystemSettingsContent::Choice>& choices, const QString& current) {
    auto* box = new QComboBox;
    box->setFixedWidth(160);
    for (const auto& [value, name] : choices) box->addItem(name, value);
    // A stored value outside the list selects nothing rather than pretending to be the first.
    box->setCurrentIndex(box->findData(current));
    return box;
}

}  // namespace

SystemSettingsContent::SystemSettingsContent(AppSettings& settings, LoginItemService* loginItems,
                                             ActivationPolicy* activationPolicy,
                                             AudioSourceList* audioSources, QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      loginItems_(loginItems),
      activationPolicy_(activationPolicy),
      launchAtLogin_(new QuilloToggleStyle),
      showOverlay_(new QuilloToggleStyle),
      showInDock_(new QuilloToggleStyle),
      sound_(new QuilloToggleStyle),
      whisperLanguage_(choiceBox(whisperLanguages(), settings.whisperLanguage())),
      appLanguage_(choiceBox(appLanguages(), settings.appLanguage())) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(24);
    //% "System"
    column->addWidget(new SectionTitle(qtTrId("system.title")));
    //% "App settings"
    column->addWidget(new SectionSubtitle(qtTrId("system.app_settings")));

    auto* appCard = new SettingsCard;
    //% "Launch at login"
    appCard->contentLayout()->addWidget(
        new SettingsRow(qtTrId("system.launch_at_login"), {}, launchAtLogin_, true));
    //% "Show overlay while dictating"
    appCard->contentLayout()->addWidget(
        new SettingsRow(qtTrId("system.show_overlay"), {}, showOverlay_, true));
    //% "Show in taskbar"
    appCard->contentLayout()->addWidget(
        new SettingsRow(qtTrId("system.show_in_dock"), {}, showInDock_, false));
    column->addWidget(appCard);

    //% "Sound"
    column->addWidget(new SectionSubtitle(qtTrId("system.sound")));
    auto* soundCard = new SettingsCard;
    //% "Sound effects"
    soundCard->contentLayout()->addWidget(
        new SettingsRow(qtTrId("system.sound_effects"), {}, sound_, false));
    column->addWidget(soundCard);

    if (audioSources) {
        //% "Microphone"
        column->addWidget(new SectionSubtitle(qtTrId("system.microphone")));
        auto* microphoneCard = new SettingsCard;
        microphone_ = new MicrophoneChoice(settings_, *audioSources);
        //% "Input"
        microphoneCard->contentLayout()->addWidget(
            new SettingsRow(qtTrId("system.microphone.input"), {}, microphone_, false));
        column->addWidget(microphoneCard);
    }

    //% "Language"
    column->addWidget(new SectionSubtitle(qtTrId("system.language")));
    auto* languageCard = new SettingsCard;
    //% "Dictation language"
    languageCard->contentLayout()->addWidget(
        new SettingsRow(qtTrId("general.language"), {}, whisperLanguage_, true));
    //% "App language"
    languageCard->contentLayout()->addWidget(
        new SettingsRow(qtTrId("general.app_language"), {}, appLanguage_, false));
    column->addWidget(languageCard);

    showOverlay_->setChecked(settings_.showOverlay());
    sound_->setChecked(settings_.playSoundOnComplete());
    showInDock_->setChecked(true);

    // `clicked` comes from the user only, so refreshing a switch never registers anything.
    connect(launchAtLogin_, &QAbstractButton::clicked, this,
            &SystemSettingsContent::launchAtLoginChosen);
    connect(showInDock_, &QAbstractButton::clicked, this,
            &SystemSettingsContent::showInDockChosen);
    connect(showOverlay_, &QAbstractButton::clicked, this,
            [this](bool on) { settings_.setShowOverlay(on); });
    connect(sound_, &QAbstractButton::clicked, this,
            [this](bool on) { settings_.setPlaySoundOnComplete(on); });
    connect(whisperLanguage_, &QComboBox::activated, this, [this](int index) {
        settings_.setWhisperLanguage(whisperLanguage_->itemData(index).toString());
    });
    connect(appLanguage_, &QComboBox::activated, this, [this](int index) {
        settings_.setAppLanguage(appLanguage_->itemData(index).toString());
    });
    connect(&settings_, &AppSettings::changed, this, [this](const QString& key) {
        if (key == QLatin1String(AppSettings::Keys::showOverlay)) {
            showOverlay_->setChecked(settings_.showOverlay());
        } else if (key == QLatin1String(AppSettings::Keys::playSoundOnComplete)) {
            sound_->setChecked(settings_.playSoundOnComplete());
        }
    });
}

const QList<SystemSettingsContent::Choice>& SystemSettingsContent::whisperLanguages() {
    static const QList<Choice> list = {
        {"auto", "Auto-Detect"}, {"en", "English"},    {"de", "Deutsch"},
        {"fr", "Français"},      {"es", "Español"},    {"it", "Italiano"},
        {"pt", "Português"},     {"nl", "Nederlands"}, {"ja", "日本語"},
        {"zh", "中文"},          {"ko", "한국어"},
    };
    return list;
}

const QList<SystemSettingsContent::Choice>& SystemSettingsContent::appLanguages() {
    static const QList<Choice> list = {
        {"system", "System"}, {"en", "English"},   {"de", "Deutsch"},   {"fr", "Français"},
        {"es", "Español"},    {"it", "Italiano"},  {"pt", "Português"}, {"nl", "Nederlands"},
    };
    return list;
}

void SystemSettingsContent::showEvent(QShowEvent* event) {
    refreshFromSystem();
    QWidget::showEvent(event);
}

void SystemSettingsContent::refreshFromSystem() {
    launchAtLogin_->setChecked(loginItems_ &&
                               loginItems_->status() == LoginItemService::Status::enabled);
    const QString dockKey = QLatin1String(AppSettings::Keys::showInDock);
    showInDock_->setChecked(!settings_.store().contains(dockKey) ||
                            settings_.store().boolean(dockKey));
}

void SystemSettingsContent::launchAtLoginChosen(bool on) {
    if (!loginItems_) return;
    // A refusal is not reported: the switch keeps the user's choice until the section is shown
    // again and reads the real status.
    if (on) {
        loginItems_->registerItem();
    } else {
        loginItems_->unregisterItem();
    }
}

void SystemSettingsContent::showInDockChosen(bool on) {
    if (activationPolicy_) {
        activationPolicy_->setPolicy(on ? ActivationPolicy::Policy::regular
                                        : ActivationPolicy::Policy::accessory);
    }
    settings_.setStoredBoolean(QLatin1String(AppSettings::Keys::showInDock), on);
}
