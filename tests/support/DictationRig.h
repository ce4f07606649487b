#pragma once

#include "models/AppSettings.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeCancelKeyGrab.h"
#include "support/FakeDeviceIdentity.h"
#include "support/FakeDictationOverlay.h"
#include "support/FakeDictationRecorder.h"
#include "support/FakeGlobalHotkeyBackend.h"
#include "support/FakeLoginItemService.h"
#include "support/FakeModifierEventSource.h"
#include "support/FakeSoundPlayer.h"
#include "support/FakeSpeechDetector.h"
#include "support/FakeTextPaster.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualScheduler.h"

#include <QNetworkAccessManager>

#include <functional>
#include <memory>

class DictationCoordinator;
class LocalTranscriber;

// A DictationCoordinator as the tests wire it: every part a fake held here until the test puts
// a real one in its place, the remote services at a loopback server, and the settings of a user
// past the onboarding whose login item is set up.
class DictationRig {
public:
    // The parts a test puts in place of the rig's own below; none leaves the one of that name.
    struct Parts {
        AppSettings* settings = nullptr;
        DictationRecorder* recorder = nullptr;
        TextPaster* paster = nullptr;
        DictationOverlay* overlay = nullptr;
        SoundPlayer* sounds = nullptr;
        AccessibilityTrust* trust = nullptr;
        Scheduler* scheduler = nullptr;
        GlobalHotkeyBackend* hotkeys = nullptr;
        ModifierEventSource* modifiers = nullptr;
        CancelKeyGrab* cancelKey = nullptr;
        const SpeechDetector* speech = nullptr;
        LocalTranscriber* local = nullptr;
        WindowFocus* windowFocus = nullptr;
    };

    DictationRig();
    ~DictationRig();
    DictationRig(const DictationRig&) = delete;
    DictationRig& operator=(const DictationRig&) = delete;

    // A started coordinator on `parts`. Its holder declares it after the parts, so that it goes
    // before them.
    std::unique_ptr<DictationCoordinator> startCoordinator();

    Parts parts;
    // The OpenAI and Anthropic hosts at the loopback server too; without, they follow the
    // settings, as the application leaves them. The backend is always the loopback server.
    bool everyHostAtServer = true;

    LogCapture log;
    InMemoryDefaultsStore store;
    AppSettings settings{store};
    QNetworkAccessManager network;
    LoopbackHttpServer server;
    FakeLoginItemService loginItems;
    FakeDeviceIdentity deviceIdentity{QStringLiteral("0123456789abcdef0123456789abcdef")};
    int onboardingShown = 0;
    // What the coordinator's call to open the onboarding does besides being counted.
    std::function<void()> showOnboarding;

    FakeDictationRecorder recorder;
    FakeTextPaster paster;
    FakeDictationOverlay overlay;
    FakeSoundPlayer sounds;
    FakeAccessibilityTrust trust;
    ManualScheduler scheduler;
    FakeGlobalHotkeyBackend hotkeys;
    FakeModifierEventSource modifiers;
    FakeCancelKeyGrab cancelKey;
    FakeSpeechDetector speech;
};
