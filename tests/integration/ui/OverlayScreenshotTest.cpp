#include "support/FakeAudioLevelSource.h"
#include "support/FakeCompositorStatus.h"
#include "support/ManualScheduler.h"
#include "support/TestArtifacts.h"
#include "support/VisibleLayout.h"

#include "theme/QuilloTheme.h"
#include "views/overlay/LiveTextLabel.h"
#include "views/overlay/OverlayPanel.h"
#include "views/overlay/OverlayWindowController.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// How much white lies over the accent in `rows` of `image`, summed over the pixels: the ink
// of white text or bars.
double ink(const QImage& image, int firstRow, int lastRow) {
    const double accent = QuilloTheme::accent().green();
    double sum = 0;
    for (int y = firstRow; y <= lastRow; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            sum += std::clamp((qGreen(image.pixel(x, y)) - accent) / (255 - accent), 0.0, 1.0);
        }
    }
    return sum;
}

// The line drawn alone on the accent with room all round, as it would look if nothing cut it.
double unclippedInk(const LiveTextLabel& line) {
    QImage image(line.width(), line.height() * 3, QImage::Format_ARGB32_Premultiplied);
    image.fill(QuilloTheme::accent());
    QPainter painter(&image);
    painter.setFont(line.font());
    painter.setPen(Qt::white);
    painter.drawText(image.rect(), Qt::AlignCenter | Qt::TextSingleLine, line.text());
    painter.end();
    return ink(image, 0, image.height() - 1);
}

// The overlay while recording with the words heard so far, rendered for review: the line sits
// whole under the waveform, inside the pill, for short and long dictations, letters above and
// below the line, and scripts without spaces.
TEST(OverlayScreenshotTest, TheLineOfWordsIsWholeUnderTheWaveform) {
    const QStringList dictations = {
        QStringLiteral("Dear Anna,"),
        QStringLiteral("the one thing I would change is the order of the first two steps, because "
                       "the data we need for the report only arrives at the end of the month"),
        QStringLiteral("Grüße an Jürgen – Ägypten, Quiz, jog, gypsy: ÅÉÎ"),
        QStringLiteral("今天的会议改到星期四上午十点，请带上打印好的草稿。"),
    };
    ManualScheduler scheduler;
    FakeCompositorStatus compositor;
    FakeAudioLevelSource levels(0.0f);
    OverlayWindowController controller(scheduler, compositor);
    for (qsizetype i = 0; i < dictations.size(); ++i) {
        SCOPED_TRACE(dictations[i].toStdString());
        const auto waveform = controller.show(RecordingStateValue::holdRecording, &levels);
        controller.showLiveText(waveform, dictations[i]);
        auto* panel = static_cast<OverlayPanel*>(controller.panel());
        const LiveTextLabel& line = *panel->liveText();
        ASSERT_TRUE(panel->showsLiveText());
        const QImage shot = panel->grab().toImage();
        EXPECT_TRUE(shot.save(testArtifactPath(QStringLiteral("overlay-live-%1.png").arg(i))));

        EXPECT_TRUE(VisibleLayout::nothingClipped(panel, panel));
        const QRect box = line.geometry();
        EXPECT_GE(box.left(), OverlayPanel::cornerRadius) << "clear of the rounded ends";
        EXPECT_LE(box.right(), panel->width() - 1 - OverlayPanel::cornerRadius);

        // Every bit of the line's ink shows, below the waveform's row and above the pill's edge.
        const double scale = shot.devicePixelRatio();
        const int top = static_cast<int>(OverlayPanel::waveformRowHeight * scale);
        const double shown = ink(shot, top, shot.height() - 1);
        const double whole = unclippedInk(line) * scale * scale;
        EXPECT_GT(whole, 10.0) << "the line has words to show";
        EXPECT_NEAR(shown, whole, whole * 0.03);
        EXPECT_LT(ink(shot, shot.height() - 2, shot.height() - 1), 0.5)
            << "the words stop short of the pill's lower edge";
        EXPECT_GT(ink(shot, 0, top - 1), 30.0) << "the waveform's bars stay above";
    }
    controller.dismiss();
}

}  // namespace
