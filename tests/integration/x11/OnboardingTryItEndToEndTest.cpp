#include "base/QtScheduler.h"
#include "dictation/DictationCoordinator.h"
#include "models/AppSettings.h"
#include "platform/audio/QtAudioInput.h"
#include "platform/whisper/WhisperCppSpeechEngine.h"
#include "platform/x11/X11AccessibilityTrust.h"
#include "platform/x11/X11CancelKeyGrab.h"
#include "platform/x11/X11CompositorStatus.h"
#include "platform/x11/X11GlobalHotkeyBackend.h"
#include "platform/x11/X11ModifierEventSource.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/XdotoolScriptKeystroke.h"
#include "platform/x11/XTestKeystrokeSender.h"
#include "services/audio/AudioRecorder.h"
#include "services/audio/WebRtcSpeechDetector.h"
#include "services/local/LocalTranscriber.h"
#include "services/paste/ClipboardManager.h"
#include "support/FakeDeviceIdentity.h"
#include "support/FakeLoginItemService.h"
#include "support/FakeSoundPlayer.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"
#include "support/LoopbackHttpServer.h"
#include "support/MicPipeFeeder.h"
#include "support/MicPipeLock.h"
#include "support/MicPipePlayer.h"
#include "support/RandomWhisperModel.h"
#include "support/RequireEnvironment.h"
#include "support/SpeechSamples.h"
#include "support/TestArtifacts.h"
#include "support/VisibleLayout.h"
#include "support/X11TestClient.h"
#include "support/ScopedDataHome.h"
#include "views/onboarding/OnboardingView.h"
#include "views/onboarding/OnboardingWindowController.h"
#include "views/onboarding/SpeechEngineStep.h"
#include "views/overlay/OverlayWindowController.h"
#include "views/Translations.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>

using namespace std::chrono_literals;

namespace {

constexpr quint8 xSpace = 65;
constexpr quint8 xLeftAlt = 64;

void click(OnboardingView* view, const char* name) {
    QTest::mouseClick(view->findChild<QWidget*>(QString::fromLatin1(name)), Qt::LeftButton);
}

}  // namespace

// A first launch with the real parts: the onboarding opens, the user chooses speech to text on
// this computer (a generated model is in place), and on the last page holds Alt+Space on the X
// server while the sound server's microphone plays an utterance. The words arrive in the
// page's field through the recorder, the local engine and the paste chord, before the
// onboarding is finished.
TEST(OnboardingTryItEndToEnd, TheLastPagesFieldReceivesADictationFromThisComputersEngine) {
    REQUIRE_ENVIRONMENT(RequireEnvironment::hasXWindows() && RequireEnvironment::hasSoundServer(),
                        "the X display and sound server of scripts/with-test-env.sh");
    ScopedDataHome dataHome;
    ASSERT_TRUE(dataHome.isValid());
    auto restore = qScopeGuard([&] {
        OnboardingWindowController::shared().reset();
        OnboardingWindowController::installServices({});
        Translations::install(QStringLiteral("en"));
    });
    Translations::install(QStringLiteral("en"));
    ASSERT_TRUE(QDir().mkpath(LocalTranscriber::modelsDirectory()));
    const QString modelPath =
        RandomWhisperModel::generate(LocalTranscriber::modelsDirectory(), QStringLiteral("mini"));
    ASSERT_FALSE(modelPath.isEmpty()) << "the model generator failed";
    const QString modelName = QFileInfo(modelPath).completeBaseName().mid(5);  // "ggml-" off
    ASSERT_EQ(LocalTranscriber::modelPath(modelName), modelPath);

    const std::vector<qint16> utterance = SpeechSamples::utterance();
    ASSERT_FALSE(utterance.empty());
    MicPipeLock microphone(MicPipeFeeder::pipePath());
    MicPipeFeeder::drain(MicPipeFeeder::pipePath());
    MicPipePlayer player(MicPipeFeeder::pipePath());
    ASSERT_TRUE(player.isOpen());

    InMemoryDefaultsStore& store = InMemoryDefaultsStore::sharedForTests();
    store.clear();
    store.setBoolean("launch_at_login_set", true);
    AppSettings& settings = AppSettings::shared();
    settings.setPlaySoundOnComplete(false);
    settings.setSelectedMode(DictationMode::raw);  // nothing leaves this computer
    LogCapture log;
    QtScheduler scheduler;
    QNetworkAccessManager network;
    LoopbackHttpServer nobody;  // any request at all would be a fault
    X11GlobalHotkeyBackend hotkeys;
    X11ModifierEventSource modifiers;
    X11AccessibilityTrust accessibility;
    X11CancelKeyGrab cancelKey;
    AudioRecorder recorder(std::make_shared<QtAudioInput>());
    X11Pasteboard pasteboard;
    XTestKeystrokeSender keystrokes;
    XdotoolScriptKeystroke script;
    ClipboardManager clipboard(pasteboard, keystrokes, script, accessibility, scheduler);
    X11CompositorStatus compositor;
    OverlayWindowController overlay(scheduler, compositor);
    FakeSoundPlayer sounds;
    FakeLoginItemService loginItems;
    FakeDeviceIdentity identity(QStringLiteral("0123456789abcdef0123456789abcdef"));
    WebRtcSpeechDetector speech;
    WhisperCppSpeechEngine engine;
    LocalTranscriber local(engine, scheduler, settings);
    DictationCoordinator coordinator(DictationCoordinator::Dependencies{
        settings, recorder, clipboard, overlay, sounds, accessibility, scheduler, hotkeys,
        modifiers, loginItems, identity,
        DictationCoordinator::RemoteServices{HttpTransport(&network), nobody.baseURL(),
                                             nobody.baseURL(), nobody.baseURL()},
        [] { OnboardingWindowController::shared().show(); }, cancelKey, speech, &local});

    OnboardingView::Services services;
    services.requestMicrophone = [&recorder] { return recorder.requestPermission(); };
    services.loginItems = &loginItems;
    services.speech.model =
        SpeechModelCatalogue::Entry{modelName, QFileInfo(modelPath).size(), QByteArray(), false};
    services.dictation = &coordinator;
    OnboardingWindowController::installServices(services);
    coordinator.start();
    ASSERT_TRUE(
        waitUntil([] { return OnboardingWindowController::shared().view() != nullptr; }, 3000ms))
        << "a first launch opens the onboarding";
    OnboardingView* view = OnboardingWindowController::shared().view();
    QWidget* window = OnboardingWindowController::shared().window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window, 5000));

    click(view, "welcomeButton");
    click(view, "micButton");
    ASSERT_TRUE(
        waitUntil([view] { return view->currentStep() == OnboardingView::engineStep; }, 3000ms));
    QTest::mouseClick(view->speechEngine()->choiceButton(SpeechEngineStep::Engine::local),
                      Qt::LeftButton, {}, QPoint(8, 8));
    ASSERT_TRUE(view->speechEngine()->isUsable()) << "the generated model is in place";
    click(view, "engineNextButton");
    click(view, "accessibilityConfirmBox");
    click(view, "accessibilityNextButton");
    ASSERT_EQ(view->currentStep(), OnboardingView::readyStep);
    QLineEdit* field = view->tryItField();
    ASSERT_TRUE(waitUntil([field] { return QApplication::focusWidget() == field; }, 3000ms))
        << "the field has the focus when the page shows";
    EXPECT_TRUE(settings.localTranscription());

    // Held from before the utterance to after its last sound reached the sound server.
    X11TestClient keyboard;
    keyboard.press(xLeftAlt);
    keyboard.press(xSpace);
    ASSERT_TRUE(waitUntil([&] { return recorder.isRecording(); }, 3000ms));
    player.play(utterance);
    ASSERT_TRUE(waitUntil([&] { return player.isIdle(); }, 10000ms));
    runEventLoopFor(300ms);
    keyboard.release(xSpace);
    keyboard.release(xLeftAlt);

    ASSERT_TRUE(waitUntil([field] { return !field->text().isEmpty(); }, 60000ms))
        << log.lines().join('\n').toStdString();
    EXPECT_TRUE(log.contains("[Quillo] Transcribing locally (model: " + modelName + ")..."));
    ASSERT_TRUE(waitUntil([&] { return settings.recentDictations().size() == 1; }, 5000ms));
    // The generated model's words are meaningless; they are the ones the pipeline delivered.
    EXPECT_EQ(field->text().trimmed(), settings.recentDictations().value(0).text);
    std::cout << "[ measure  ] the field received \"" << field->text().toStdString() << '"'
              << std::endl;
    EXPECT_TRUE(nobody.requests().isEmpty()) << "the audio stayed on this computer";
    EXPECT_TRUE(window->grab().save(testArtifactPath("onboarding-4-ready-try-it-dictated-en.png")));
    EXPECT_TRUE(VisibleLayout::nothingClipped(window, window));
    EXPECT_FALSE(view->tryItFailure()->isVisible());
    EXPECT_FALSE(store.contains("onboarding_completed")) << "tried before finishing";
    EXPECT_TRUE(
        waitUntil([&] { return coordinator.stateMachine().state() == RecordingStateValue::idle; }));
}
