#include "services/audio/WavEncoder.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace {

quint32 le32(const QByteArray& data, int offset) {
    return qFromLittleEndian<quint32>(data.constData() + offset);
}
quint16 le16(const QByteArray& data, int offset) {
    return qFromLittleEndian<quint16>(data.constData() + offset);
}

}  // namespace

TEST(WavEncoderTest, WritesTheExactHeaderFollowedByTheSamples) {
    const QByteArray pcm("\x01\x02\x03\x04\x05\x06", 6);
    const QByteArray wav = WavEncoder::createWAVData(pcm, 16000, 1, 16);

    ASSERT_EQ(wav.size(), 44 + 6);
    EXPECT_EQ(wav.mid(0, 4), "RIFF");
    EXPECT_EQ(le32(wav, 4), 6u + 36u);
    EXPECT_EQ(wav.mid(8, 4), "WAVE");
    EXPECT_EQ(wav.mid(12, 4), "fmt ");
    EXPECT_EQ(le32(wav, 16), 16u);
    EXPECT_EQ(le16(wav, 20), 1u);
    EXPECT_EQ(le16(wav, 22), 1u);
    EXPECT_EQ(le32(wav, 24), 16000u);
    EXPECT_EQ(le32(wav, 28), 32000u);
    EXPECT_EQ(le16(wav, 32), 2u);
    EXPECT_EQ(le16(wav, 34), 16u);
    EXPECT_EQ(wav.mid(36, 4), "data");
    EXPECT_EQ(le32(wav, 40), 6u);
    EXPECT_EQ(wav.mid(44), pcm);
}
