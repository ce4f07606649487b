#pragma once

#include "views/settings/SettingsSection.h"
#include "views/widgets/HotkeyField.h"

#include <QObject>
#include <QPointer>

#include <functional>

class ActivationPolicy;
class AppSettings;
class AudioSourceList;
class LoginItemService;
class SpeechDeviceStatus;
class SpeechModelDownloader;
class SettingsView;

// Owns the one settings window: created by the first show(), brought forward by later ones,
// hidden (never destroyed) when the user closes it.
class SettingsWindowController : public QObject {
    Q_OBJECT
public:
    // The process-wide controller, using the services installed before its first use.
    static SettingsWindowController& shared();
    // For the composition root, before the first shared(): the settings object and the
    // platform services the System section works through. Without this, shared() uses
    // AppSettings::shared() and leaves the login item and taskbar presence alone.
    static void installServices(AppSettings& settings, LoginItemService* loginItems,
                                ActivationPolicy* activationPolicy);

    SettingsWindowController(AppSettings& settings, LoginItemService* loginItems,
                             ActivationPolicy* activationPolicy, QObject* parent = nullptr);
    ~SettingsWindowController() override;

    // Told about every hotkey recorded in the window, including a window opened before this
    // was set: the callback is looked up when the hotkey changes, not when the window opens.
    void setOnHotkeyChanged(HotkeyField::ChangedCallback callback);
    // The sound server's inputs for the System section's microphone choice; set before the
    // window is first shown (without it the choice is left out).
    void setAudioSources(AudioSourceList* sources) { audioSources_ = sources; }
    void setModelDownloader(SpeechModelDownloader* downloader) { modelDownloader_ = downloader; }
    void setSpeechDevice(SpeechDeviceStatus* device) { speechDevice_ = device; }
    // What the desktop's hotkey binding allows and reports, shown on the General section's
    // hotkey field now and on every one created later.
    void setCanBindLoneModifiers(bool canBind);
    void showTriggerTaken();
    void showTriggerChanged(const QString& description);
    // GNOME's binding holding the hotkey's keys (see HotkeyField::showDesktopConflict); cleared
    // by an empty description.
    void showDesktopConflict(const QString& description, std::function<bool()> freeKeys);
    void setHoldUnavailable(bool unavailable);
    void show();
    // Shows the window with `section` selected (the menu's missing-key warning opens the
    // Connection section this way).
    void showSection(SettingsSection section);

    QWidget* window() const { return window_; }
    SettingsView* view() const { return view_; }

private:
    void createWindow();
    void hotkeyChanged(int keyCode, int modifiers);
    void prepareHotkeyField(HotkeyField& field);
    HotkeyField* hotkeyField() const;
    void setHotkeyNotice(std::function<void(HotkeyField&)> notice);

    AppSettings& settings_;
    LoginItemService* loginItems_;
    ActivationPolicy* activationPolicy_;
    AudioSourceList* audioSources_ = nullptr;
    SpeechModelDownloader* modelDownloader_ = nullptr;
    SpeechDeviceStatus* speechDevice_ = nullptr;
    HotkeyField::ChangedCallback onHotkeyChanged_;
    bool canBindLoneModifiers_ = true;
    bool holdUnavailable_ = false;
    // The desktop's last word on the binding, until the user records another hotkey.
    std::function<void(HotkeyField&)> hotkeyNotice_;
    QPointer<QWidget> window_;
    SettingsView* view_ = nullptr;
};
