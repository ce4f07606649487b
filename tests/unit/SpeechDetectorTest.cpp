#include "services/audio/SpeechTrimmer.h"
#include "services/audio/WavEncoder.h"
#include "services/audio/WebRtcSpeechDetector.h"
#include "support/FakeSpeechDetector.h"
#include "support/SpeechSamples.h"
#include "support/WavData.h"

#include <gtest/gtest.h>

using namespace SpeechSamples;

namespace {

constexpr qsizetype rate = 16000;

std::optional<SpeechDetector::Span> find(const std::vector<qint16>& samples) {
    return WebRtcSpeechDetector().findSpeech(samples.data(),
                                             static_cast<qsizetype>(samples.size()));
}

QByteArray wavOf(const std::vector<qint16>& samples) {
    const QByteArray pcm(reinterpret_cast<const char*>(samples.data()),
                         static_cast<qsizetype>(samples.size() * 2));
    return WavEncoder::createWAVData(pcm, 16000, 1, 16);
}

}  // namespace

TEST(WebRtcSpeechDetector, FindsTheUtteranceInSilenceAndInRoomNoise) {
    const std::vector<qint16> speech = utterance();
    ASSERT_GT(speech.size(), 3u * rate) << "the test utterance is missing";

    auto clean = concat({silence(1.0), speech, silence(1.0)});
    auto span = find(clean);
    ASSERT_TRUE(span);
    EXPECT_NEAR(span->begin, rate, rate / 10) << "speech starts after 1 s";
    EXPECT_NEAR(span->end, rate + static_cast<qsizetype>(speech.size()), rate / 5);

    auto noisy = clean;
    mixInto(noisy, noise(static_cast<double>(noisy.size()) / rate, -45.0));
    span = find(noisy);
    ASSERT_TRUE(span);
    EXPECT_NEAR(span->begin, rate, rate / 10);
}

TEST(WebRtcSpeechDetector, SpeechFromTheFirstSampleIsFoundFromItsStart) {
    const auto span = find(concat({utterance(), silence(0.5)}));
    ASSERT_TRUE(span);
    EXPECT_LT(span->begin, rate / 20) << "within 50 ms of the start";
}

TEST(WebRtcSpeechDetector, SilenceNoiseAndKeyBumpsHoldNoSpeech) {
    EXPECT_FALSE(find(silence(3.0)));
    EXPECT_FALSE(find({})) << "nothing recorded";
    EXPECT_FALSE(find(silence(0.005))) << "less than one frame";
    EXPECT_FALSE(find(noise(3.0, -50.0)));
    EXPECT_FALSE(find(noise(3.0, -30.0)));

    // A key bump: a 30 ms thump at the start and a click at the end of faint room noise.
    auto bumps = noise(2.0, -55.0);
    std::vector<qint16> thump(480);
    for (std::size_t i = 0; i < thump.size(); ++i) {
        thump[i] = static_cast<qint16>(16000 * std::sin(i * 0.047) * (1.0 - i / 480.0));
    }
    mixInto(bumps, thump, 800);
    mixInto(bumps, noise(0.005, -10.0, 7), 30000);
    EXPECT_FALSE(find(bumps));
}

TEST(SpeechTrimmer, KeepsAtMostThreeTenthsOfASecondAroundTheSpeech) {
    FakeSpeechDetector detector;
    std::vector<qint16> stamped(5 * rate);
    for (std::size_t i = 0; i < stamped.size(); ++i) {
        stamped[i] = static_cast<qint16>(i / 4);
    }
    detector.speech = SpeechDetector::Span{rate, 2 * rate};
    auto trimmed = SpeechTrimmer::keepSpeech(wavOf(stamped), detector);
    ASSERT_TRUE(trimmed);
    auto kept = WavData::parse(*trimmed).samples;
    ASSERT_EQ(kept.size(), static_cast<std::size_t>(rate + 2 * rate * 3 / 10));
    EXPECT_EQ(kept.front(), stamped[rate * 7 / 10]);
    EXPECT_EQ(kept.back(), stamped[2 * rate + rate * 3 / 10 - 1]);

    // Speech near the edges: the margin stops at the recording's ends.
    detector.speech = SpeechDetector::Span{rate / 10, 5 * rate - rate / 10};
    trimmed = SpeechTrimmer::keepSpeech(wavOf(stamped), detector);
    ASSERT_TRUE(trimmed);
    EXPECT_EQ(*trimmed, wavOf(stamped)) << "nothing to trim";

    detector.speech.reset();
    EXPECT_FALSE(SpeechTrimmer::keepSpeech(wavOf(stamped), detector));
    EXPECT_FALSE(SpeechTrimmer::keepSpeech(wavOf({}), detector)) << "a header alone";
    EXPECT_FALSE(SpeechTrimmer::keepSpeech(QByteArray(), detector));
}

TEST(SpeechTrimmer, SpeechAfterASecondOfSilenceStartsWithinThreeTenthsOfASecond) {
    const std::vector<qint16> speech = utterance();
    const auto recording = concat({silence(1.0), speech, silence(1.5)});
    const auto trimmed = SpeechTrimmer::keepSpeech(wavOf(recording), WebRtcSpeechDetector());
    ASSERT_TRUE(trimmed);
    const auto kept = WavData::parse(*trimmed).samples;
    const Alignment where = align(kept, speech);
    EXPECT_GT(where.score, 0.99);
    EXPECT_GE(where.offset, 0) << "the first sound is kept";
    EXPECT_LE(where.offset, rate * 3 / 10);
    const long after =
        static_cast<long>(kept.size()) - where.offset - static_cast<long>(speech.size());
    EXPECT_GE(after, 0) << "the last sound is kept";
    // Speech ends on a 10 ms frame, and the utterance itself fades out over a few ms.
    EXPECT_LE(after, rate * 3 / 10 + rate / 50);
}
