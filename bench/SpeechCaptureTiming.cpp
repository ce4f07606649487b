// Three timings of a dictation's audio, printed as medians of several trials:
// 1. speech lost at the start of a hold whose utterance begins at the key-down, and
// 2. speech lost at the end when the key comes up as the utterance ends: the real recorder on
//    the PulseAudio server of scripts/with-test-env.sh, whose microphone pipe plays the test
//    utterance; the WAV is aligned with the utterance by cross-correlation;
// 3. key release to the first byte of the transcription request for ten seconds of speech:
//    the pipeline with the real recorder and detector on a fed input, a loopback server.
//   bash scripts/with-test-env.sh build/ci/bench/SpeechCaptureTiming
#include "dictation/DictationCoordinator.h"
#include "models/AppSettings.h"
#include "platform/audio/QtAudioInput.h"
#include "services/audio/AudioRecorder.h"
#include "services/audio/WebRtcSpeechDetector.h"
#include "services/hotkey/HotkeyManager.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeAudioInput.h"
#include "support/FakeCancelKeyGrab.h"
#include "support/FakeDeviceIdentity.h"
#include "support/FakeDictationOverlay.h"
#include "support/FakeGlobalHotkeyBackend.h"
#include "support/FakeLoginItemService.h"
#include "support/FakeModifierEventSource.h"
#include "support/FakeSoundPlayer.h"
#include "support/FakeTextPaster.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/ManualScheduler.h"
#include "support/MicPipeFeeder.h"
#include "support/MicPipePlayer.h"
#include "support/SpeechSamples.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

std::vector<qint16> samplesOf(const QByteArray& wav) {
    std::vector<qint16> samples(
        static_cast<std::size_t>(std::max<qsizetype>(0, wav.size() - 44) / 2));
    std::memcpy(samples.data(), wav.constData() + 44, samples.size() * 2);
    return samples;
}

struct Loss {
    double startMs;
    double endMs;
};

// One hold on the real microphone: the key-down opens the pre-roll (or, with `preRoll`
// false, recording starts at the hold threshold as it did before), the utterance plays from
// the key-down, and the release comes as it ends.
Loss measureHold(MicPipePlayer& player, const std::vector<qint16>& utterance, bool preRoll) {
    AudioRecorder recorder(std::make_shared<QtAudioInput>());
    const auto keyDown = player.play(utterance);
    if (preRoll) {
        recorder.startPreRoll();
    }
    std::this_thread::sleep_until(keyDown + 300ms);
    recorder.startRecording();
    std::this_thread::sleep_until(keyDown +
                                  std::chrono::microseconds(utterance.size() * 1000000 / 16000));
    const std::vector<qint16> kept = samplesOf(recorder.stopRecording());
    const SpeechSamples::Alignment where = SpeechSamples::align(kept, utterance);
    const long atEnd =
        where.offset + static_cast<long>(utterance.size()) - static_cast<long>(kept.size());
    return {std::max(0L, -where.offset) / 16.0, std::max(0L, atEnd) / 16.0};
}

// A server that notes when the first byte of a request arrives.
class FirstByteServer {
public:
    FirstByteServer() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = server_.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] {
                if (!arrived) {
                    arrived = Clock::now();
                }
                socket->readAll();
            });
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }
    std::optional<Clock::time_point> arrived;

private:
    QTcpServer server_;
};

double measureReleaseToFirstByte(const std::vector<qint16>& tenSeconds) {
    InMemoryDefaultsStore store;
    store.setBoolean("onboarding_completed", true);
    store.setBoolean("launch_at_login_set", true);
    AppSettings settings(store);
    auto input = std::make_shared<FakeAudioInput>(AudioInput::Format{48000, 1});
    AudioRecorder recorder(input);
    FakeTextPaster paster;
    FakeDictationOverlay overlay;
    FakeSoundPlayer sounds;
    FakeAccessibilityTrust trust;
    ManualScheduler scheduler;
    FakeGlobalHotkeyBackend hotkeys;
    FakeModifierEventSource modifiers;
    FakeLoginItemService loginItems;
    FakeDeviceIdentity identity;
    FakeCancelKeyGrab cancelKey;
    WebRtcSpeechDetector speech;
    QNetworkAccessManager network;
    FirstByteServer server;
    DictationCoordinator coordinator(DictationCoordinator::Dependencies{
        settings,
        recorder,
        paster,
        overlay,
        sounds,
        trust,
        scheduler,
        hotkeys,
        modifiers,
        loginItems,
        identity,
        DictationCoordinator::RemoteServices{HttpTransport(&network, 5000ms), {}, {}, server.url()},
        {},
        cancelKey,
        speech});
    coordinator.start();

    hotkeys.press(HotkeyManager::hotkeyId);
    std::vector<float> buffer(480);
    for (std::size_t first = 0; first + 160 <= tenSeconds.size(); first += 160) {
        for (std::size_t i = 0; i < 480; ++i) {  // 16 kHz to the device's 48 kHz
            buffer[i] = static_cast<float>(tenSeconds[first + i / 3]) / 32768.0f;
        }
        input->deliver(buffer);
        if (first == 4800) {
            scheduler.advance(300ms);  // the hold threshold
        }
    }
    const auto release = Clock::now();
    hotkeys.release(HotkeyManager::hotkeyId);
    scheduler.runDue();
    QElapsedTimer deadline;
    deadline.start();
    while (!server.arrived && deadline.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return server.arrived
               ? std::chrono::duration<double, std::milli>(*server.arrived - release).count()
               : -1.0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::vector<qint16> utterance = SpeechSamples::utterance();
    if (utterance.empty()) {
        std::fprintf(stderr, "the test utterance is missing\n");
        return 1;
    }
    constexpr int trials = 5;

    if (!MicPipeFeeder::pipePath().isEmpty()) {
        MicPipeFeeder::drain(MicPipeFeeder::pipePath());
        MicPipePlayer player(MicPipeFeeder::pipePath());
        std::this_thread::sleep_for(300ms);
        for (bool preRoll : {true, false}) {
            std::vector<double> start;
            std::vector<double> end;
            for (int i = 0; i < trials; ++i) {
                const Loss loss = measureHold(player, utterance, preRoll);
                start.push_back(loss.startMs);
                end.push_back(loss.endMs);
                std::this_thread::sleep_for(200ms);
            }
            std::printf("%s: speech lost at the start %.0f ms, at the end %.0f ms (median of %d)\n",
                        preRoll ? "from the key-down" : "from the hold threshold", median(start),
                        median(end), trials);
        }
    } else {
        std::printf("no microphone pipe: run under scripts/with-test-env.sh for the losses\n");
    }

    std::vector<qint16> tenSeconds;
    while (tenSeconds.size() < 10 * 16000) {
        tenSeconds.insert(tenSeconds.end(), utterance.begin(), utterance.end());
        tenSeconds.insert(tenSeconds.end(), 3200, 0);
    }
    tenSeconds.resize(10 * 16000);
    std::vector<double> latency;
    for (int i = 0; i < trials; ++i) {
        latency.push_back(measureReleaseToFirstByte(tenSeconds));
    }
    std::printf(
        "key release to the first byte of the transcription request, 10 s of speech: "
        "%.1f ms (median of %d)\n",
        median(latency), trials);
    return 0;
}
