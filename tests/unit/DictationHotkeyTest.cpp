#include "dictation/DictationHotkey.h"
#include "models/AppSettings.h"
#include "models/RecordingStateMachine.h"
#include "services/hotkey/HotkeyManager.h"
#include "services/hotkey/HotkeyUtils.h"
#include "services/hotkey/ModifierHotkeyManager.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeFnKeySetting.h"
#include "support/FakeGlobalHotkeyBackend.h"
#include "support/FakeModifierEventSource.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using S = RecordingStateValue;

namespace {

const HotkeyId quil = HotkeyManager::hotkeyId;

class DictationHotkeyTest : public ::testing::Test {
protected:
    void SetUp() override { HotkeyUtils::installFnKeySetting(&fnSetting); }
    void TearDown() override { HotkeyUtils::installFnKeySetting(nullptr); }

    DictationHotkey& hotkey() {
        if (!hotkey_) {
            hotkey_ = std::make_unique<DictationHotkey>(
                DictationHotkey::Dependencies{settings, machine, hotkeys, modifiers, trust,
                                              scheduler},
                DictationHotkey::Actions{[this] { ++starts; },
                                         [this] {
                                             ++stops;
                                             machine.onProcessingComplete();
                                         }});
            hotkey_->setup();
        }
        return *hotkey_;
    }

    LogCapture log;
    InMemoryDefaultsStore store;
    AppSettings settings{store};
    RecordingStateMachine machine;
    FakeGlobalHotkeyBackend hotkeys;
    FakeModifierEventSource modifiers;
    FakeAccessibilityTrust trust;
    FakeFnKeySetting fnSetting;
    ManualScheduler scheduler;
    int starts = 0;
    int stops = 0;
    std::unique_ptr<DictationHotkey> hotkey_;
};

}  // namespace

// The threshold itself is HotkeyManager's, tested there.
TEST_F(DictationHotkeyTest, ACombinationHoldStopsAfterTheKeyEvent) {
    hotkey();
    hotkeys.press(quil);
    scheduler.advance(300ms);
    EXPECT_EQ(starts, 1);
    hotkeys.release(quil);
    EXPECT_EQ(stops, 0) << "never inside the key event";
    scheduler.runDue();
    EXPECT_EQ(stops, 1);
}

TEST_F(DictationHotkeyTest, ModifierOnlyHotkeyHoldAndDoublePress) {
    settings.setHotkeyKeyCode(61);
    settings.setHotkeyModifiers(0);
    hotkey();
    EXPECT_NE(hotkey().modifierHotkeyManager(), nullptr);
    EXPECT_EQ(hotkey().hotkeyManager(), nullptr);
    EXPECT_TRUE(log.contains("[Quillo] Modifier hotkey active (keyCode=61)"));
    EXPECT_EQ(fnSetting.writeCount, 0);

    const quint64 option = ModifierHotkeyManager::optionFlag;
    modifiers.send(61, option);
    scheduler.advance(299ms);
    EXPECT_EQ(starts, 0);
    scheduler.advance(1ms);
    EXPECT_TRUE(log.contains("[Quillo] Hold threshold → start recording"));
    EXPECT_EQ(starts, 1) << "the modifier path starts recording directly";
    scheduler.advance(200ms);
    modifiers.send(61, 0);
    scheduler.runDue();
    EXPECT_TRUE(log.contains("[Quillo] Hold released → stop & process"));
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(machine.state(), S::idle);

    // Two quick presses record hands-free until a third.
    modifiers.send(61, option);
    scheduler.advance(100ms);
    modifiers.send(61, 0);
    scheduler.advance(100ms);
    modifiers.send(61, option);
    scheduler.runDue();
    EXPECT_TRUE(log.contains("[Quillo] Handsfree → start recording"));
    EXPECT_EQ(machine.state(), S::handsfreeRecording);
    EXPECT_EQ(starts, 2);
    modifiers.send(61, 0);
    scheduler.advance(1000ms);
    EXPECT_EQ(machine.state(), S::handsfreeRecording)
        << "late hold and double-press blocks change nothing";
    modifiers.send(61, option);
    scheduler.runDue();
    modifiers.send(61, 0);
    EXPECT_EQ(stops, 2);
    EXPECT_EQ(starts, 2);
}

TEST_F(DictationHotkeyTest, HotkeyChoiceFnAtLaunchOnlyAndReplacement) {
    settings.setHotkeyKeyCode(63);
    settings.setHotkeyModifiers(0);
    fnSetting.value = 2;
    hotkey();
    EXPECT_EQ(fnSetting.writeCount, 1) << "Fn at launch frees the key first";
    EXPECT_NE(hotkey().modifierHotkeyManager(), nullptr);
    EXPECT_GT(modifiers.subscriberCount(), 0);

    fnSetting.value = 2;
    hotkey().update(63, 0);
    EXPECT_EQ(fnSetting.writeCount, 1) << "not from the settings window";

    // Option plus Option and Caps Lock go to the registered hotkey; the old watch goes first.
    hotkey().update(58, 2048);
    EXPECT_EQ(modifiers.subscriberCount(), 0);
    ASSERT_NE(hotkey().hotkeyManager(), nullptr);
    EXPECT_EQ(settings.hotkeyKeyCode(), 58);
    EXPECT_EQ(settings.hotkeyModifiers(), 2048);
    hotkey().update(57, 0);
    ASSERT_NE(hotkey().hotkeyManager(), nullptr);
    EXPECT_EQ(hotkeys.registrations().size(), 1);
    EXPECT_EQ(hotkeys.registrations().first().keyCode, 57u);

    // Option+Space to Control+D: only the new combination stays registered.
    hotkey().update(2, 4096);
    ASSERT_EQ(hotkeys.registrations().size(), 1);
    EXPECT_EQ(hotkeys.registrations().first().keyCode, 2u);
    EXPECT_EQ(hotkeys.registrations().first().modifiers, 4096u);

    hotkeys.nextRegisterStatus = -9878;
    hotkey().update(49, 2048);
    EXPECT_EQ(hotkey().hotkeyManager(), nullptr);
    EXPECT_TRUE(log.contains("[Quillo] Failed to start Carbon hotkey manager"));
    EXPECT_TRUE(hotkeys.registrations().isEmpty());
}

TEST_F(DictationHotkeyTest, AnOutOfRangeStoredHotkeyInstallsTheDefault) {
    store.setInteger("hotkey_keycode", -5);
    store.setInteger("hotkey_modifiers", qint64(1) << 33);
    hotkey();
    ASSERT_NE(hotkey().hotkeyManager(), nullptr);
    ASSERT_EQ(hotkeys.registrations().size(), 1);
    EXPECT_EQ(hotkeys.registrations().first().keyCode, 49u);
    EXPECT_EQ(hotkeys.registrations().first().modifiers, 2048u);
}

// X sends no event for Fn: the hotkey is reported as failed, not as active.
TEST_F(DictationHotkeyTest, AnFnHotkeyTheSystemNeverReportsIsLoggedAsFailed) {
    modifiers.unreportable = {63, 179};
    settings.setHotkeyKeyCode(63);
    settings.setHotkeyModifiers(0);
    hotkey();
    EXPECT_EQ(hotkey().modifierHotkeyManager(), nullptr);
    EXPECT_EQ(modifiers.subscriberCount(), 0);
    EXPECT_TRUE(log.contains("[ModifierHotkey] keyCode=63 is never reported on this desktop"));
    EXPECT_TRUE(
        log.contains("[Quillo] Failed to start modifier hotkey — Accessibility permission needed"));
    EXPECT_FALSE(log.contains("[Quillo] Modifier hotkey active (keyCode=63)"));

    hotkey().update(61, 0);
    EXPECT_NE(hotkey().modifierHotkeyManager(), nullptr);
    EXPECT_TRUE(log.contains("[Quillo] Modifier hotkey active (keyCode=61)"));
}
