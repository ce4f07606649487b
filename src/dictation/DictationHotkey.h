#pragma once

#include <QObject>

#include <functional>
#include <memory>

class AccessibilityTrust;
class AppSettings;
class GlobalHotkeyBackend;
class HotkeyManager;
class ModifierEventSource;
class ModifierHotkeyManager;
class RecordingStateMachine;
class Scheduler;

// Installs the stored hotkey, a key combination or a lone modifier, and turns its presses into
// the gestures of the state machine it is given: a hold, a double press for hands-free, a press
// that ends hands-free. It tells its owner when a recording should start and when one should
// stop; both arrive on a later turn of the main loop or from a timer, never inside a key event.
class DictationHotkey : public QObject {
    Q_OBJECT
public:
    struct Dependencies {
        AppSettings& settings;
        RecordingStateMachine& stateMachine;
        GlobalHotkeyBackend& hotkeyBackend;
        ModifierEventSource& modifierEvents;
        AccessibilityTrust& accessibility;
        Scheduler& scheduler;
    };
    struct Actions {
        std::function<void()> startRecording;
        std::function<void()> stopAndProcess;
    };

    DictationHotkey(Dependencies dependencies, Actions actions, QObject* parent = nullptr);
    ~DictationHotkey() override;

    // Installs the stored hotkey; the Fn key is made available first when it is the hotkey.
    void setup();
    // Stores the new hotkey and installs it in place of the old one.
    void update(int keyCode, int modifiers);

    HotkeyManager* hotkeyManager() const { return hotkeyManager_.get(); }
    ModifierHotkeyManager* modifierHotkeyManager() const { return modifierHotkeyManager_.get(); }

private:
    void install(int keyCode, int modifiers);
    void installCombination(int keyCode, int modifiers);
    void installModifier(int keyCode);
    void stopInstalledManagers();
    void modifierKeyDown();
    void modifierKeyUp();
    void runLater(std::function<void()> DictationHotkey::Actions::*action);

    Dependencies deps_;
    Actions actions_;
    std::unique_ptr<HotkeyManager> hotkeyManager_;
    std::unique_ptr<ModifierHotkeyManager> modifierHotkeyManager_;
};
