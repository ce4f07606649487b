#pragma once

#include "views/widgets/HotkeyField.h"

#include <functional>
#include "views/settings/SettingsSection.h"

#include <QMap>
#include <QWidget>

class ActivationPolicy;
class AppSettings;
class AudioSourceList;
class LoginItemService;
class QAbstractButton;
class QScrollArea;
class SidebarButton;

// The settings window's content: the sidebar with the sections, a vertical rule and the
// scrolling area showing the selected section, created afresh each time it is selected.
class SpeechDeviceStatus;
class SpeechModelDownloader;

class SettingsView : public QWidget {
    Q_OBJECT
public:
    struct Services {
        LoginItemService* loginItems = nullptr;
        ActivationPolicy* activationPolicy = nullptr;
        AudioSourceList* audioSources = nullptr;
        // Downloads of speech models, kept by the application so that a download goes on
        // while other sections are shown; without it there is no local-transcription card.
        SpeechModelDownloader* modelDownloader = nullptr;
        // Where the engine runs and whether there is a graphics card, for the same card.
        SpeechDeviceStatus* speechDevice = nullptr;
        // Called on each new General section's hotkey field (what the desktop allows and said).
        std::function<void(HotkeyField&)> prepareHotkeyField;
    };

    SettingsView(AppSettings& settings, HotkeyField::ChangedCallback onHotkeyChanged,
                 Services services, QWidget* parent = nullptr);

    SettingsSection selectedSection() const { return selected_; }
    // Shows `section`; selecting the shown section again changes nothing.
    void select(SettingsSection section);
    QWidget* sectionContent() const { return content_; }
    SidebarButton* sidebarButton(SettingsSection section) const;
    QAbstractButton* helpLink() const { return helpLink_; }
    QAbstractButton* supportLink() const { return supportLink_; }
    QScrollArea* scrollArea() const { return scrollArea_; }

    static QUrl helpUrl();
    static QUrl supportUrl();

private:
    QWidget* buildSidebar();
    QWidget* makeContent(SettingsSection section);

    AppSettings& settings_;
    HotkeyField::ChangedCallback onHotkeyChanged_;
    Services services_;
    SettingsSection selected_ = SettingsSection::home;
    QMap<int, SidebarButton*> buttons_;
    QAbstractButton* helpLink_ = nullptr;
    QAbstractButton* supportLink_ = nullptr;
    QScrollArea* scrollArea_ = nullptr;
    QWidget* content_ = nullptr;
};
