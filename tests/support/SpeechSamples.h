#pragma once

#include <QtGlobal>

#include <vector>

// Audio for the voice-activity tests, 16 kHz mono 16-bit.
namespace SpeechSamples {

// A known utterance of about 3.2 s (espeak-ng, see scripts/make-test-utterance.sh), starting
// and ending with its first and last sound.
std::vector<qint16> utterance();
std::vector<qint16> silence(double seconds);
// Deterministic white noise at about `dbfs` RMS.
std::vector<qint16> noise(double seconds, double dbfs, unsigned seed = 1);
// Adds `b` into `a` from sample `at`, growing `a` when needed; clips to 16 bits.
void mixInto(std::vector<qint16>& a, const std::vector<qint16>& b, std::size_t at = 0);
std::vector<qint16> concat(std::initializer_list<std::vector<qint16>> parts);

// The offset of `needle` within `haystack` by normalised cross-correlation: the sample of
// `haystack` where `needle` starts (negative when it starts before `haystack` does), and how
// well they match (1 for identical). Offsets are searched from -needle.size() to
// haystack.size().
struct Alignment {
    long offset = 0;
    double score = 0;
};
Alignment align(const std::vector<qint16>& haystack, const std::vector<qint16>& needle);

}  // namespace SpeechSamples
