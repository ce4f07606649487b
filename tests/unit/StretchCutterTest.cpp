#include "services/audio/StretchCutter.h"

#include <gtest/gtest.h>

namespace {

using Frame = SpeechDetector::Frame;

constexpr double threshold = -60.0;
const Frame word{-20.0, true};
const Frame hush{-90.0, false};

// Frames of 10 ms: `count` of the same kind.
void add(std::vector<Frame>& frames, const Frame& kind, int count) {
    frames.insert(frames.end(), static_cast<std::size_t>(count), kind);
}

}  // namespace

TEST(StretchCutter, CutsInTheMiddleOfTheFirstPauseAfterSpeech) {
    std::vector<Frame> frames;
    add(frames, hush, 30);  // the pre-roll before the first word is no pause to cut at
    add(frames, word, 80);
    add(frames, hush, StretchCutter::pauseFrames - 1);
    EXPECT_EQ(StretchCutter::nextCut(frames, threshold, 0), std::nullopt)
        << "the pause is too short";
    add(frames, hush, 1);
    EXPECT_EQ(StretchCutter::nextCut(frames, threshold, 0), 110 + StretchCutter::pauseFrames / 2);
}

TEST(StretchCutter, NoPauseEndsAStretchBeforeTenSecondsAndOneSpanningThemIsCutThere) {
    std::vector<Frame> frames;
    add(frames, word, 500);
    add(frames, hush, 40);  // a sentence end at 5 s: the dictation may end here, so no cut
    add(frames, word, 300);
    add(frames, hush, 165);  // from 8.4 s to past 10 s
    EXPECT_EQ(StretchCutter::nextCut(frames, threshold), std::nullopt)
        << "the cut at 10 s needs half a pause of silence after it";
    add(frames, hush, 5);
    EXPECT_EQ(StretchCutter::nextCut(frames, threshold), StretchCutter::shortestStretchFrames);

    std::vector<Frame> later;  // past 10 s the first pause ends the stretch as usual
    add(later, word, 1100);
    add(later, hush, StretchCutter::pauseFrames);
    EXPECT_EQ(StretchCutter::nextCut(later, threshold), 1100 + StretchCutter::pauseFrames / 2);
}

TEST(StretchCutter, GapsInsideAPhraseAndSilenceAloneAreNoCut) {
    std::vector<Frame> frames;
    for (int word_ = 0; word_ < 40; ++word_) {  // 40 words with 150 ms gaps: 12 s
        add(frames, word, 15);
        add(frames, hush, 15);
    }
    EXPECT_EQ(StretchCutter::nextCut(frames, threshold), std::nullopt);

    std::vector<Frame> silence;
    add(silence, hush, 1500);
    EXPECT_EQ(StretchCutter::nextCut(silence, threshold), std::nullopt);

    std::vector<Frame> blip;  // a click shorter than a word, then a pause
    add(blip, word, StretchCutter::minimumSpeechFrames - 1);
    add(blip, hush, 100);
    EXPECT_EQ(StretchCutter::nextCut(blip, threshold, 0), std::nullopt);
}

TEST(StretchCutter, VoicedFramesBelowTheThresholdAreNoSpeech) {
    std::vector<Frame> frames;
    add(frames, word, 50);
    add(frames, Frame{-70.0, true}, 40);  // room noise the voice model takes for a voice
    EXPECT_EQ(StretchCutter::nextCut(frames, threshold, 0), 50 + StretchCutter::pauseFrames / 2);
}

TEST(StretchCutter, ALongStretchWithoutPauseIsCutAtItsQuietestMomentInItsSecondHalf) {
    std::vector<Frame> frames;
    add(frames, word, 400);
    add(frames, Frame{-50.0, true}, 10);  // quieter than anything after it, but in the first half
    add(frames, word, 990);
    add(frames, Frame{-45.0, true}, 8);  // the quietest moment between two words
    add(frames, word, 300);
    add(frames, Frame{-35.0, true}, 8);
    add(frames, word, StretchCutter::longestStretchFrames - 1 - static_cast<int>(frames.size()));
    EXPECT_EQ(StretchCutter::nextCut(frames, threshold), std::nullopt);
    add(frames, word, 1);
    const std::optional<qsizetype> cut = StretchCutter::nextCut(frames, threshold);
    ASSERT_TRUE(cut);
    EXPECT_GE(*cut, 1400);
    EXPECT_LT(*cut, 1408);
}

TEST(StretchCutter, ALongStretchPrefersAShortSilenceToAQuietWord) {
    std::vector<Frame> frames;
    add(frames, word, 1200);
    add(frames, Frame{-55.0, true}, 10);  // a quiet word
    add(frames, word, 300);
    add(frames, Frame{-40.0, false}, 10);  // a breath: louder, but no voice in it
    add(frames, word, StretchCutter::longestStretchFrames - static_cast<int>(frames.size()));
    const std::optional<qsizetype> cut = StretchCutter::nextCut(frames, threshold);
    ASSERT_TRUE(cut);
    EXPECT_GE(*cut, 1510);
    EXPECT_LT(*cut, 1520);
}
