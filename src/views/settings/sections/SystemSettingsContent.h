#pragma once

#include <QList>
#include <QPair>
#include <QWidget>

class ActivationPolicy;
class AppSettings;
class AudioSourceList;
class MicrophoneChoice;
class LoginItemService;
class QComboBox;
class QuilloToggleStyle;

// The System section: launch at login, overlay, taskbar presence, completion sound and the
// two language choices. The login item and taskbar presence go to their platform services;
// either may be absent, in which case only the stored preference changes.
class SystemSettingsContent : public QWidget {
    Q_OBJECT
public:
    using Choice = QPair<QString, QString>;  // stored value, shown name

    // Without `audioSources` the microphone row is left out.
    SystemSettingsContent(AppSettings& settings, LoginItemService* loginItems,
                          ActivationPolicy* activationPolicy,
                          AudioSourceList* audioSources = nullptr, QWidget* parent = nullptr);

    static const QList<Choice>& whisperLanguages();
    static const QList<Choice>& appLanguages();

    QuilloToggleStyle* launchAtLoginSwitch() const { return launchAtLogin_; }
    QuilloToggleStyle* showOverlaySwitch() const { return showOverlay_; }
    QuilloToggleStyle* showInDockSwitch() const { return showInDock_; }
    QuilloToggleStyle* soundSwitch() const { return sound_; }
    QComboBox* whisperLanguageChoice() const { return whisperLanguage_; }
    QComboBox* appLanguageChoice() const { return appLanguage_; }
    MicrophoneChoice* microphoneChoice() const { return microphone_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refreshFromSystem();
    void launchAtLoginChosen(bool on);
    void showInDockChosen(bool on);

    AppSettings& settings_;
    LoginItemService* loginItems_;
    ActivationPolicy* activationPolicy_;
    QuilloToggleStyle* launchAtLogin_;
    QuilloToggleStyle* showOverlay_;
    QuilloToggleStyle* showInDock_;
    QuilloToggleStyle* sound_;
    QComboBox* whisperLanguage_;
    QComboBox* appLanguage_;
    MicrophoneChoice* microphone_ = nullptr;
};
