#include "views/settings/SettingsWindowController.h"

#include "models/AppSettings.h"
#include "views/settings/SettingsView.h"

#include <QVBoxLayout>
#include <QWidget>

#include <utility>

namespace {

struct InstalledServices {
    AppSettings* settings = nullptr;
    LoginItemService* loginItems = nullptr;
    ActivationPolicy* activationPolicy = nullptr;
};

InstalledServices& installed() {
    static InstalledServices services;
    return services;
}

constexpr QSize windowSize(860, 650);

}  // namespace

void SettingsWindowController::installServices(AppSettings& settings, LoginItemService* loginItems,
                                               ActivationPolicy* activationPolicy) {
    installed() = {&settings, loginItems, activationPolicy};
}

SettingsWindowController& SettingsWindowController::shared() {
    // Never destroyed: the window lives as long as the process.
    static auto* controller = new SettingsWindowController(
        installed().settings ? *installed().settings : AppSettings::shared(),
        installed().loginItems, installed().activationPolicy);
    return *controller;
}

SettingsWindowController::SettingsWindowController(AppSettings& settings,
                                                   LoginItemService* loginItems,
                                                   ActivationPolicy* activationPolicy,
                                                   QObject* parent)
    : QObject(parent),
      settings_(settings),
      loginItems_(loginItems),
      activationPolicy_(activationPolicy) {}

SettingsWindowController::~SettingsWindowController() {
    delete window_;
}

void SettingsWindowController::setOnHotkeyChanged(HotkeyField::ChangedCallback callback) {
    onHotkeyChanged_ = std::move(callback);
}

void SettingsWindowController::show() {
    if (!window_)
        createWindow();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void SettingsWindowController::showSection(SettingsSection section) {
    show();
    view_->select(section);
}

void SettingsWindowController::createWindow() {
    window_ = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                       Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    window_->setObjectName(QStringLiteral("settingsWindow"));
    //% "Quillo Settings"
    window_->setWindowTitle(qtTrId("window.settings_title"));
    window_->setFixedSize(windowSize);
    auto* layout = new QVBoxLayout(window_);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new SettingsView(
        settings_, [this](int keyCode, int modifiers) { hotkeyChanged(keyCode, modifiers); },
        {loginItems_, activationPolicy_, audioSources_, modelDownloader_, speechDevice_,
         [this](HotkeyField& field) { prepareHotkeyField(field); }});
    layout->addWidget(view_);
    // Centred on the screen the window opens on.
    if (const QScreen* screen = window_->screen()) {
        window_->move(screen->availableGeometry().center() - window_->rect().center());
    }
}

void SettingsWindowController::setCanBindLoneModifiers(bool canBind) {
    canBindLoneModifiers_ = canBind;
    if (HotkeyField* field = hotkeyField())
        field->setCanBindLoneModifiers(canBind);
}

void SettingsWindowController::showTriggerTaken() {
    setHotkeyNotice([](HotkeyField& field) { field.showTriggerTaken(); });
}

void SettingsWindowController::showTriggerChanged(const QString& description) {
    setHotkeyNotice([description](HotkeyField& field) { field.showTriggerChanged(description); });
}

void SettingsWindowController::showDesktopConflict(const QString& description,
                                                   std::function<bool()> freeKeys) {
    if (description.isEmpty()) {
        setHotkeyNotice([](HotkeyField& field) { field.setNotice({}); });
        return;
    }
    setHotkeyNotice([description, freeKeys](HotkeyField& field) {
        field.showDesktopConflict(description, freeKeys);
    });
}

void SettingsWindowController::setHoldUnavailable(bool unavailable) {
    holdUnavailable_ = unavailable;
    if (HotkeyField* field = hotkeyField())
        field->setHoldUnavailable(unavailable);
}

HotkeyField* SettingsWindowController::hotkeyField() const {
    return view_ ? view_->findChild<HotkeyField*>() : nullptr;
}

void SettingsWindowController::setHotkeyNotice(std::function<void(HotkeyField&)> notice) {
    hotkeyNotice_ = std::move(notice);
    if (HotkeyField* field = hotkeyField())
        hotkeyNotice_(*field);
}

void SettingsWindowController::prepareHotkeyField(HotkeyField& field) {
    field.setCanBindLoneModifiers(canBindLoneModifiers_);
    field.setHoldUnavailable(holdUnavailable_);
    if (hotkeyNotice_)
        hotkeyNotice_(field);
}

void SettingsWindowController::hotkeyChanged(int keyCode, int modifiers) {
    hotkeyNotice_ = {};
    if (onHotkeyChanged_)
        onHotkeyChanged_(keyCode, modifiers);
}
