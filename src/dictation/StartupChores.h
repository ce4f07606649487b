#pragma once

#include <QObject>

#include <functional>

class AccessibilityTrust;
class AppSettings;
class LoginItemService;
class Scheduler;

// What a start of Quillo does once besides the hotkey: the lines about a missing Accessibility
// grant, the onboarding 0.5 s after a first launch, and the login item registered the first
// time only.
class StartupChores : public QObject {
    Q_OBJECT
public:
    struct Dependencies {
        AppSettings& settings;
        AccessibilityTrust& accessibility;
        LoginItemService& loginItems;
        Scheduler& scheduler;
        // Shows the onboarding window (first launch).
        std::function<void()> showOnboarding;
    };

    explicit StartupChores(Dependencies dependencies, QObject* parent = nullptr);
    void run();

private:
    Dependencies deps_;
};
