#include "platform/whisper/WhisperModelFile.h"
#include "services/local/SpeechModelCatalogue.h"

#include <QMap>

#include <gtest/gtest.h>

namespace {

using Header = WhisperModelFile::Header;

Header shape(qint32 vocab, qint32 state, qint32 heads, qint32 audioLayers, qint32 textLayers,
             qint32 mels, qint32 ftype = 1) {
    return {vocab, 1500, state, heads, audioLayers, 448, state, heads, textLayers, mels, ftype};
}

// The headers of the published whisper.cpp models; quantized ones carry the quantization
// version (2) in the thousands of ftype.
const QMap<QString, Header>& publishedModels() {
    static const QMap<QString, Header> models{
        {QStringLiteral("tiny.en"), shape(51864, 384, 6, 4, 4, 80)},
        {QStringLiteral("tiny"), shape(51865, 384, 6, 4, 4, 80)},
        {QStringLiteral("base.en"), shape(51864, 512, 8, 6, 6, 80)},
        {QStringLiteral("base"), shape(51865, 512, 8, 6, 6, 80)},
        {QStringLiteral("small.en"), shape(51864, 768, 12, 12, 12, 80)},
        {QStringLiteral("small"), shape(51865, 768, 12, 12, 12, 80)},
        {QStringLiteral("small-q8_0"), shape(51865, 768, 12, 12, 12, 80, 2007)},
        {QStringLiteral("medium"), shape(51865, 1024, 16, 24, 24, 80)},
        {QStringLiteral("large-v2"), shape(51865, 1280, 20, 32, 32, 80)},
        {QStringLiteral("large-v3"), shape(51866, 1280, 20, 32, 32, 128)},
        {QStringLiteral("large-v3-q5_0"), shape(51866, 1280, 20, 32, 32, 128, 2008)},
        {QStringLiteral("large-v3-turbo"), shape(51866, 1280, 20, 32, 4, 128)},
        {QStringLiteral("large-v3-turbo-q5_0"), shape(51866, 1280, 20, 32, 4, 128, 2008)},
        {QStringLiteral("distil-large-v3"), shape(51866, 1280, 20, 32, 2, 128)},
    };
    return models;
}

TEST(WhisperModelFileTest, PublishedModelsPassAndHoldTheWeightsTheirHeadersAnnounce) {
    for (auto model = publishedModels().begin(); model != publishedModels().end(); ++model) {
        SCOPED_TRACE(model.key().toStdString());
        EXPECT_EQ(WhisperModelFile::checkHeader(*model), QString());
        EXPECT_TRUE(WhisperModelFile::weightBytes(*model));
    }
    // The published size of each model Quillo offers is its weights plus the header, the mel
    // filters, the vocabulary and the tensors' names: some 600 kB.
    for (const SpeechModelCatalogue::Entry& entry : SpeechModelCatalogue::entries()) {
        SCOPED_TRACE(entry.name.toStdString());
        ASSERT_TRUE(publishedModels().contains(entry.name)) << "add its header above";
        const std::optional<qint64> weights =
            WhisperModelFile::weightBytes(publishedModels()[entry.name]);
        ASSERT_TRUE(weights);
        EXPECT_LE(*weights, entry.bytes);
        EXPECT_GT(*weights, entry.bytes - 1'000'000);
    }
}

// Shapes within every single bound that ggml still asserts on, or that whisper.cpp's fixed
// token numbers do not fit.
TEST(WhisperModelFileTest, ShapesGgmlAssertsOnAreRefused) {
    struct Case {
        const char* what;
        Header header;
        const char* reason;
    };
    const Header tiny = publishedModels()[QStringLiteral("tiny")];
    Header odd = tiny;
    odd.nTextHead = 7;
    Header kQuantTiny = tiny;
    kQuantTiny.ftype = 2012;  // Q4_K: blocks of 256, tiny's 384 is not made of them
    Header halfQuant = tiny;
    halfQuant.ftype = 4;  // "mostly Q4_1, some F16": ggml has no single type for it
    Header futureQuant = tiny;
    futureQuant.ftype = 3008;
    Header smallVocab = tiny;
    smallVocab.nVocab = 50000;
    Header shortText = tiny;
    shortText.nTextCtx = 8;
    const Case cases[] = {
        {"heads that do not divide the state", odd, "heads"},
        {"a state that is not whole blocks", kQuantTiny, "blocks of 256"},
        {"a mixed weight type", halfQuant, "ftype 4 "},
        {"a later quantization format", futureQuant, "ftype 3008 "},
        {"a vocabulary below whisper's special tokens", smallVocab, "n_vocab is 50000"},
        {"no room for the start tokens", shortText, "n_text_ctx is 8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(WhisperModelFile::checkHeader(c.header).contains(QLatin1String(c.reason)))
            << WhisperModelFile::checkHeader(c.header).toStdString();
        EXPECT_FALSE(WhisperModelFile::weightBytes(c.header));
    }
}

}  // namespace
