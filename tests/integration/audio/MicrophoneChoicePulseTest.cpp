#include "platform/audio/PulseSourceList.h"
#include "platform/audio/QtAudioInput.h"
#include "services/audio/AudioRecorder.h"
#include "support/CountingAudioInput.h"
#include "support/LogCapture.h"
#include "support/MicPipeFeeder.h"
#include "support/SoundServerTest.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QProcess>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

QByteArrayList namesOf(const QList<AudioSourceList::Source>& sources) {
    QByteArrayList names;
    for (const auto& source : sources)
        names << source.name;
    return names;
}

bool qtLists(const QByteArray& id) {
    for (const QAudioDevice& device : QMediaDevices::audioInputs()) {
        if (device.id() == id)
            return true;
    }
    return false;
}

// A microphone plugged in for the test's duration, through the server's own command line.
class PluggedMicrophone {
public:
    explicit PluggedMicrophone(const QByteArray& name) {
        QProcess pactl;
        pactl.start("pactl", {"load-module", "module-null-source",
                              "source_name=" + QString::fromLatin1(name)});
        pactl.waitForFinished();
        module_ = pactl.readAllStandardOutput().trimmed();
    }
    ~PluggedMicrophone() { unplug(); }
    bool isPlugged() const { return !module_.isEmpty(); }
    void unplug() {
        if (module_.isEmpty())
            return;
        QProcess::execute("pactl", {"unload-module", QString::fromLatin1(module_)});
        module_.clear();
    }

private:
    QByteArray module_;
};

using MicrophoneChoicePulseTest = SoundServerTest;

}  // namespace

TEST_F(MicrophoneChoicePulseTest, ListsBothInputsButNoMonitorAndFollowsPlugging) {
    PulseSourceList sources;
    ASSERT_TRUE(waitUntil([&] { return !sources.sources().isEmpty(); }));
    EXPECT_TRUE(sources.isConnected());
    const QByteArrayList names = namesOf(sources.sources());
    EXPECT_EQ(names, (QByteArrayList{"test_other_mic", "test_mic"}))
        << "the speaker's monitor is no microphone";
    for (const auto& source : sources.sources()) {
        EXPECT_FALSE(source.description.isEmpty());
    }

    QSignalSpy changed(&sources, &AudioSourceList::sourcesChanged);
    PluggedMicrophone plugged("test_plugged_mic");
    ASSERT_TRUE(plugged.isPlugged());
    EXPECT_TRUE(waitUntil([&] { return namesOf(sources.sources()).contains("test_plugged_mic"); }));
    EXPECT_GE(changed.count(), 1);
    plugged.unplug();
    EXPECT_TRUE(
        waitUntil([&] { return !namesOf(sources.sources()).contains("test_plugged_mic"); }));
}

TEST_F(MicrophoneChoicePulseTest, NextRecordingUsesTheChoiceAndAGoneDeviceFallsBack) {
    QByteArray chosen = "test_other_mic";
    auto input = std::make_shared<QtAudioInput>();
    input->setDeviceChoice([&] { return chosen; });
    auto counting = std::make_shared<CountingAudioInput>(input);
    MicPipeFeeder::drain(MicPipeFeeder::pipePath());
    MicPipeFeeder feeder(MicPipeFeeder::pipePath(), 440, 0.5);
    AudioRecorder recorder(counting);

    // The silent microphone was chosen: in 300 ms of its audio the tone on the default one is
    // not heard.
    recorder.startRecording();
    ASSERT_TRUE(waitUntil([&] { return counting->heardMs() >= 300; }));
    EXPECT_EQ(input->openedDevice(), "test_other_mic");
    EXPECT_LT(recorder.currentLevel(), 0.05f);
    recorder.stopRecording();

    // A microphone that was there when chosen and is gone when recording starts.
    {
        PluggedMicrophone plugged("test_gone_mic");
        ASSERT_TRUE(waitUntil([] { return qtLists("test_gone_mic"); }));
        chosen = "test_gone_mic";
    }
    ASSERT_TRUE(waitUntil([] { return !qtLists("test_gone_mic"); }));
    LogCapture log;
    recorder.startRecording();
    EXPECT_TRUE(waitUntil([&] { return recorder.currentLevel() > 0.5f; }))
        << "the default microphone's tone";
    EXPECT_EQ(input->openedDevice(), "test_mic");
    recorder.stopRecording();
    EXPECT_EQ(log.lines(),
              QStringList{"[Quillo] Microphone \"test_gone_mic\" is not available; recording "
                          "from the default input"});
}

TEST_F(MicrophoneChoicePulseTest, LevelMeterFollowsTheChosenInput) {
    PulseSourceList sources;
    MicPipeFeeder::drain(MicPipeFeeder::pipePath());
    MicPipeFeeder feeder(MicPipeFeeder::pipePath(), 440, 0.5);
    float loudest = 0;
    QObject::connect(&sources, &AudioSourceList::levelChanged,
                     [&](float level) { loudest = std::max(loudest, level); });
    sources.startLevelMeter("test_mic");
    EXPECT_TRUE(waitUntil([&] { return loudest > 0.4f; }));
    sources.stopLevelMeter();

    // The silent microphone: ten readings of it, none with the tone.
    loudest = 0;
    int readings = 0;
    QObject::connect(&sources, &AudioSourceList::levelChanged, [&] { ++readings; });
    sources.startLevelMeter("test_other_mic");
    EXPECT_TRUE(waitUntil([&] { return readings >= 10; }));
    EXPECT_LT(loudest, 0.05f);
    sources.stopLevelMeter();
}
