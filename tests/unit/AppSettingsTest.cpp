#include "models/AppSettings.h"
#include "models/AppState.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class AppSettingsTest : public ::testing::Test {
protected:
    InMemoryDefaultsStore store;
    AppSettings settings{store};
};

}  // namespace

TEST_F(AppSettingsTest, FreshInstallReadsEveryDefaultAndWritesNothing) {
    EXPECT_EQ(settings.selectedMode(), DictationMode::email);
    EXPECT_EQ(settings.whisperLanguage(), "auto");
    EXPECT_EQ(settings.llmProvider(), "openai");
    EXPECT_EQ(settings.appLanguage(), "system");
    EXPECT_TRUE(settings.showOverlay());
    EXPECT_TRUE(settings.playSoundOnComplete());
    EXPECT_FALSE(settings.launchAtLogin());
    EXPECT_EQ(settings.hotkeyKeyCode(), 49);
    EXPECT_EQ(settings.hotkeyModifiers(), 2048);
    EXPECT_TRUE(settings.useBackend());
    EXPECT_FALSE(settings.livePreview());
    EXPECT_TRUE(settings.useGpu()) << "the card where there is one";
    EXPECT_FALSE(settings.localTranscription());
    EXPECT_TRUE(settings.openAIAPIKey().isEmpty());
    EXPECT_TRUE(settings.anthropicAPIKey().isEmpty());
    EXPECT_TRUE(store.keys().isEmpty()) << "reading must never store a default";
}

TEST_F(AppSettingsTest, WritesGoToTheirKeysWithTheirTypesAndAreAnnounced) {
    QSignalSpy changed(&settings, &AppSettings::changed);
    settings.setSelectedMode(DictationMode::chat);
    settings.setHotkeyKeyCode(2);
    settings.setShowOverlay(false);
    EXPECT_EQ(store.string("selected_mode"), "chat");
    EXPECT_EQ(store.value("hotkey_keycode"), DefaultsStore::Value(qint64(2)));
    EXPECT_EQ(store.value("show_overlay"), DefaultsStore::Value(false));
    ASSERT_EQ(changed.size(), 3);
    EXPECT_EQ(changed.at(0).at(0).toString(), "selected_mode");
}

// Written from a shell with quillo-defaults while Quillo runs.
TEST_F(AppSettingsTest, StoredValuesAreReadAtOnceAndOneOfAnotherTypeReadsAsTheDefault) {
    store.setString("whisper_language", "de");
    store.setBoolean("use_backend", false);
    store.setInteger("hotkey_modifiers", 4096);
    EXPECT_EQ(settings.whisperLanguage(), "de");
    EXPECT_FALSE(settings.useBackend());
    EXPECT_EQ(settings.hotkeyModifiers(), 4096);

    store.setString("hotkey_keycode", "space");
    store.setInteger("show_overlay", 0);
    store.setBoolean("whisper_language", true);
    EXPECT_EQ(settings.hotkeyKeyCode(), 49);
    EXPECT_TRUE(settings.showOverlay());
    EXPECT_EQ(settings.whisperLanguage(), "auto");
}

// Written from a shell with quillo-defaults: the stored value stays, the hotkey reads as the
// default, and each bad value is reported once however often it is read.
TEST_F(AppSettingsTest, AnOutOfRangeHotkeyReadsAsTheDefaultWithOneLogLine) {
    LogCapture log;
    store.setInteger("hotkey_keycode", -1);
    store.setInteger("hotkey_modifiers", qint64(1) << 40);
    for (int read = 0; read < 3; ++read) {
        EXPECT_EQ(settings.hotkeyKeyCode(), 49);
        EXPECT_EQ(settings.hotkeyModifiers(), 2048);
    }
    EXPECT_EQ(log.lines(),
              QStringList({"[Quillo] Stored hotkey_keycode -1 is out of range; using 49",
                           "[Quillo] Stored hotkey_modifiers 1099511627776 is out of "
                           "range; using 2048"}));
    EXPECT_EQ(store.value("hotkey_keycode"), DefaultsStore::Value(qint64(-1))) << "nothing is lost";

    log.clear();
    store.setInteger("hotkey_keycode", 65536);
    store.setInteger("hotkey_modifiers", 1024);  // Caps Lock is no hotkey modifier
    EXPECT_EQ(settings.hotkeyKeyCode(), 49);
    EXPECT_EQ(settings.hotkeyModifiers(), 2048);
    store.setInteger("hotkey_modifiers", -2048);
    EXPECT_EQ(settings.hotkeyModifiers(), 2048);
    EXPECT_EQ(log.lines().size(), 3);

    // The edges of the range are taken as they are.
    log.clear();
    store.setInteger("hotkey_keycode", 65535);
    store.setInteger("hotkey_modifiers", 256 + 512 + 2048 + 4096);
    EXPECT_EQ(settings.hotkeyKeyCode(), 65535);
    EXPECT_EQ(settings.hotkeyModifiers(), 6912);
    store.setInteger("hotkey_keycode", 0);
    store.setInteger("hotkey_modifiers", 0);
    EXPECT_EQ(settings.hotkeyKeyCode(), 0);
    EXPECT_EQ(settings.hotkeyModifiers(), 0);
    EXPECT_TRUE(log.lines().isEmpty());

    // A bad value again after a good one is a new event.
    store.setInteger("hotkey_keycode", -1);
    EXPECT_EQ(settings.hotkeyKeyCode(), 49);
    EXPECT_EQ(log.lines().size(), 1);
}

TEST_F(AppSettingsTest, SelectedModeFallsBackToEmailForUnknownOrMiscasedValues) {
    for (const char* stored : {"", "Email", "CHAT", "dictation"}) {
        store.setString("selected_mode", stored);
        EXPECT_EQ(settings.selectedMode(), DictationMode::email) << stored;
    }
    store.setString("selected_mode", "notes");
    EXPECT_EQ(settings.selectedMode(), DictationMode::notes);
}

TEST_F(AppSettingsTest, ValidAPIKeyRule) {
    EXPECT_TRUE(settings.hasValidAPIKey()) << "the backend needs no key of the user's";
    settings.setUseBackend(false);
    EXPECT_FALSE(settings.hasValidAPIKey());
    settings.setOpenAIAPIKey(" \n\t \r\n");
    EXPECT_FALSE(settings.hasValidAPIKey());
    settings.setAnthropicAPIKey("sk-ant-123");
    EXPECT_FALSE(settings.hasValidAPIKey()) << "the Anthropic key plays no part";
    settings.setOpenAIAPIKey("  sk-x \n");
    EXPECT_TRUE(settings.hasValidAPIKey());
}

TEST_F(AppSettingsTest, BackendAddressIsSecureAndWritesNothing) {
    EXPECT_TRUE(settings.backendURL().startsWith("https://") ||
                settings.backendURL().startsWith("http://127.") ||
                settings.backendURL().startsWith("http://localhost"));
    EXPECT_FALSE(settings.backendURL().endsWith('/'));
    EXPECT_TRUE(store.keys().isEmpty());
}

TEST(AppState, FollowsTheMachineThatDrivesDictation) {
    InMemoryDefaultsStore store;
    AppSettings settings(store);
    AppState state(settings);
    RecordingStateMachine pipelineMachine;
    state.follow(pipelineMachine);
    QSignalSpy spy(&state, &AppState::recordingStateChanged);

    pipelineMachine.onKeyDown();
    pipelineMachine.onHoldThresholdReached();
    EXPECT_EQ(state.recordingState(), RecordingStateValue::holdRecording);
    EXPECT_EQ(spy.size(), 2);
    EXPECT_EQ(state.stateMachine().state(), RecordingStateValue::idle)
        << "its own machine is not the one that drives dictation";
    EXPECT_TRUE(state.currentTranscription().isEmpty());
    EXPECT_FALSE(state.errorMessage().has_value());
}
