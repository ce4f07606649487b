// The engine's choice of device, against Mesa's software Vulkan driver: ggml hides it unless
// GGML_VK_VISIBLE_DEVICES names it, and the engine counts it as a card only when told to. Each
// case runs the engine in a child process, since ggml reads its variables once per process. The
// generated model's decoder writes a fixed handful of words whatever the audio, so the same text
// on both devices shows the whole path (weights on the device, encoder, decoder, tokens) runs
// there and decodes alike; it does not check the encoder's arithmetic.
#include "support/ChildProcess.h"
#include "support/RandomWhisperModel.h"

#include <QDir>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SpeechDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        model = RandomWhisperModel::generate(dir.path(), QStringLiteral("mini"));
        ASSERT_FALSE(model.isEmpty()) << "the model generator failed";
    }

    // The software driver compiles its pipelines on first use (tens of seconds to minutes); its
    // cache in the build tree makes that once per build tree rather than once per run.
    QProcessEnvironment softwareVulkan() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("GGML_VK_VISIBLE_DEVICES"));
        environment.insert(QStringLiteral("MESA_SHADER_CACHE_DIR"),
                           QStringLiteral(QUILLO_BINARY_DIR "/mesa-shader-cache"));
        return environment;
    }

    // The child's lines: the engine's log, then "text: ..." per load.
    QStringList run(const QProcessEnvironment& environment, const QStringList& options,
                    int expectedExit = 0) {
        const ChildProcess::Result result =
            ChildProcess::run(QStringLiteral(QUILLO_BINARY_DIR "/tests/speech_device_child"),
                              QStringList{model} + options, environment, std::chrono::minutes(9));
        const QString out = QString::fromUtf8(result.out);
        EXPECT_TRUE(result.finished && !result.crashed) << out.toStdString();
        EXPECT_EQ(result.exitCode, expectedExit) << out.toStdString();
        return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    static QStringList starting(const QStringList& lines, const QString& prefix) {
        QStringList found;
        for (const QString& line : lines) {
            if (line.startsWith(prefix)) {
                found << line;
            }
        }
        return found;
    }

    QTemporaryDir dir;
    QString model;
};

const QString onCard = QStringLiteral("[Quillo] Speech model on the graphics card: ");
const QString onProcessor = QStringLiteral("[Quillo] Speech model on the processor (2 threads)");
const QString cardFailed = QStringLiteral("[Quillo] The graphics card ");

TEST_F(SpeechDeviceTest, SoftwareCardWritesTheProcessorsTextAndIsNeverChosenUnasked) {
    QProcessEnvironment visible = softwareVulkan();
    visible.insert(QStringLiteral("GGML_VK_VISIBLE_DEVICES"), QStringLiteral("0"));
    const QStringList card = run(visible, {QStringLiteral("--software-card")});
    ASSERT_EQ(starting(card, onCard).size(), 1) << card.join('\n').toStdString();
    EXPECT_TRUE(starting(card, onCard).first().contains(QLatin1String("llvmpipe")));
    const QStringList cardText = starting(card, QStringLiteral("text: "));
    ASSERT_EQ(cardText.size(), 1);
    EXPECT_GT(cardText.first().size(), 8) << "a few words at least";

    // Visible to ggml but not counted as a card: a software renderer is a processor.
    const QStringList software = run(visible, {});
    EXPECT_EQ(starting(software, onProcessor).size(), 1) << software.join('\n').toStdString();
    EXPECT_EQ(starting(software, QStringLiteral("text: ")), cardText);

    // The user's switch off: the processor even where a card is counted.
    const QStringList off =
        run(visible, {QStringLiteral("--software-card"), QStringLiteral("--no-card")});
    EXPECT_EQ(starting(off, onProcessor).size(), 1) << off.join('\n').toStdString();

    // As Quillo runs on a machine whose only Vulkan device is the software one.
    const QStringList hidden = run(softwareVulkan(), {QStringLiteral("--software-card")});
    EXPECT_EQ(starting(hidden, onProcessor).size(), 1) << hidden.join('\n').toStdString();
    EXPECT_EQ(starting(hidden, QStringLiteral("text: ")), cardText);
}

TEST_F(SpeechDeviceTest, WithoutAnyVulkanDriverTheProcessorTranscribes) {
    QProcessEnvironment none = softwareVulkan();
    const QString noDriver = QDir(dir.path()).filePath(QStringLiteral("no-driver.json"));
    none.insert(QStringLiteral("VK_ICD_FILENAMES"), noDriver);
    none.insert(QStringLiteral("VK_DRIVER_FILES"), noDriver);
    none.insert(QStringLiteral("GGML_VK_VISIBLE_DEVICES"), QStringLiteral("0"));
    const QStringList lines = run(none, {QStringLiteral("--software-card")});
    EXPECT_EQ(starting(lines, onProcessor).size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(starting(lines, cardFailed).isEmpty()) << "no card, so no card failed";
    ASSERT_EQ(starting(lines, QStringLiteral("text: ")).size(), 1);
}

// A card too small for the model (every buffer larger than 4 kB refused): that load goes to the
// processor with one line saying why, and the next load tries the card again.
TEST_F(SpeechDeviceTest, CardThatCannotHoldTheModelLeavesEachLoadOnTheProcessor) {
    QProcessEnvironment small = softwareVulkan();
    small.insert(QStringLiteral("GGML_VK_VISIBLE_DEVICES"), QStringLiteral("0"));
    small.insert(QStringLiteral("GGML_VK_FORCE_MAX_BUFFER_SIZE"), QStringLiteral("4096"));
    const QStringList lines =
        run(small, {QStringLiteral("--software-card"), QStringLiteral("--twice")});
    const QString log = lines.join('\n');
    const QStringList failed = starting(lines, cardFailed);
    ASSERT_EQ(failed.size(), 2) << log.toStdString();
    EXPECT_TRUE(failed.first().contains(QLatin1String("llvmpipe"))) << log.toStdString();
    EXPECT_EQ(starting(lines, onProcessor).size(), 2) << log.toStdString();
    EXPECT_TRUE(starting(lines, onCard).isEmpty()) << log.toStdString();
    EXPECT_EQ(starting(lines, QStringLiteral("text: ")).size(), 2) << log.toStdString();
}

}  // namespace
