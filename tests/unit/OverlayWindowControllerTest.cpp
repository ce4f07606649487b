#include "support/FakeAudioLevelSource.h"
#include "support/FakeCompositorStatus.h"
#include "support/ManualScheduler.h"
#include "theme/QuilloTheme.h"
#include "views/overlay/LiveTextLabel.h"
#include "views/overlay/OverlayPanel.h"
#include "views/overlay/OverlayWindowController.h"
#include "views/overlay/SpinnerView.h"
#include "views/overlay/WaveformView.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class OverlayTest : public ::testing::Test {
protected:
    QImage grabPanel() const { return controller.panel()->grab().toImage(); }

    // How much of pixel column x is white over the accent, summed top to bottom: a bar's height.
    static double columnCoverage(const QImage& image, int x) {
        const double accent = QuilloTheme::accent().green();
        double sum = 0;
        for (int y = 0; y < image.height(); ++y) {
            sum += std::clamp((qGreen(image.pixel(x, y)) - accent) / (255 - accent), 0.0, 1.0);
        }
        return sum;
    }

    static double boxCoverage(const QImage& image, QRect box) {
        double sum = 0;
        for (int x = box.left(); x <= box.right(); ++x) {
            for (int y = box.top(); y <= box.bottom(); ++y) {
                sum += (qGreen(image.pixel(x, y)) - QuilloTheme::accent().green()) /
                       (255.0 - QuilloTheme::accent().green());
            }
        }
        return sum / (box.width() * box.height());
    }

    // The rounded ends of a bar take about 0.1 point off its middle column at each end.
    static constexpr double barTolerance = 0.25;

    struct Bar {
        int first;
        int last;
    };
    // Runs of columns that carry a bar.
    static std::vector<Bar> bars(const QImage& image) {
        std::vector<Bar> found;
        for (int x = 0; x < image.width(); ++x) {
            if (columnCoverage(image, x) < 1.0) {
                continue;
            }
            if (!found.empty() && found.back().last == x - 1) {
                found.back().last = x;
            } else {
                found.push_back({x, x});
            }
        }
        return found;
    }

    QRect area() const {
        QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
        return (screen ? screen : QGuiApplication::primaryScreen())->availableGeometry();
    }

    void expectCentredAboveTheBottom() const {
        const QRect frame = controller.panel()->geometry();
        EXPECT_LE(
            std::abs((frame.left() + frame.right() + 1) - (area().left() + area().right() + 1)), 1)
            << "panel " << frame.x() << "+" << frame.width();
        EXPECT_EQ(frame.bottom() + 1, area().bottom() + 1 - 40);
    }

    bool visible() const { return controller.panel() && controller.panel()->isVisible(); }

    ManualScheduler scheduler;
    FakeCompositorStatus compositor;
    FakeAudioLevelSource levels;
    OverlayWindowController controller{scheduler, compositor};
};

}  // namespace

TEST_F(OverlayTest, WaveformBarsAtRestAndAtFullLevelOnTheAccentPill) {
    controller.show(RecordingStateValue::holdRecording, &levels);
    QImage image = grabPanel();
    ASSERT_EQ(image.size(), QSize(72, 28));

    const QColor background = image.pixelColor(6, 14);
    EXPECT_EQ(background.rgb(), QuilloTheme::accent().rgb());
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the corners are rounded off";

    std::vector<Bar> rest = bars(image);
    ASSERT_EQ(rest.size(), 7u);
    EXPECT_EQ(rest.back().last - rest.front().first + 1, 33);
    for (const Bar& bar : rest) {
        EXPECT_EQ(bar.last - bar.first + 1, 3);
    }
    EXPECT_NEAR(columnCoverage(image, rest[3].first + 1), 4.52, barTolerance);
    EXPECT_NEAR(columnCoverage(image, rest[0].first + 1), 3.38, barTolerance);

    levels.setLevel(1.0f);
    scheduler.advance(33ms + 100ms);
    image = grabPanel();
    std::vector<Bar> full = bars(image);
    ASSERT_EQ(full.size(), 7u);
    EXPECT_EQ(full.back().last - full.front().first + 1, 33);
    EXPECT_NEAR(columnCoverage(image, full[3].first + 1), 22, barTolerance);
    EXPECT_NEAR(columnCoverage(image, full[0].first + 1), 7.75, barTolerance);
    EXPECT_NEAR(columnCoverage(image, full[6].first + 1), 7.75, barTolerance);
    EXPECT_NEAR(columnCoverage(image, full[2].first + 1), 16.3, barTolerance);
}

TEST_F(OverlayTest, SpinnerArcTurnsWhileProcessing) {
    controller.show(RecordingStateValue::processing, nullptr);
    // The arc runs clockwise from three o'clock over 0.7 of the circle: the gap is at the top.
    const QRect top(36, 6, 3, 3);
    const QRect bottom(34, 19, 3, 3);
    QImage image = grabPanel();
    EXPECT_LT(boxCoverage(image, top), 0.1);
    EXPECT_GT(boxCoverage(image, bottom), 0.4);

    scheduler.advance(400ms);  // half a turn
    image = grabPanel();
    EXPECT_GT(boxCoverage(image, top), 0.4);
    EXPECT_LT(boxCoverage(image, bottom), 0.1);
}

TEST_F(OverlayTest, ErrorWidthCountsPerceivedCharacters) {
    EXPECT_EQ(OverlayWindowController::errorWidth(QString(10, 'x')), 160);
    EXPECT_EQ(OverlayWindowController::errorWidth(QString(30, 'x')), 265);
    EXPECT_EQ(OverlayWindowController::errorWidth(QString(48, 'x')), 400);
    EXPECT_EQ(OverlayWindowController::errorWidth(QString(60, 'x')), 400);
    EXPECT_EQ(OverlayWindowController::errorWidth(QString(17, 'x')), 168);  // 167.5, rounded
    // An accented letter written as two code points, and an emoji of two UTF-16 units, are one
    // each.
    EXPECT_EQ(OverlayWindowController::errorWidth(QString("e\u0301").repeated(30)), 265);
    EXPECT_EQ(OverlayWindowController::errorWidth(QString::fromUtf8("\U0001F600").repeated(30)),
              265);

    controller.showError(QString(30, 'x'));
    EXPECT_EQ(controller.panel()->size(), QSize(265, 32));
}

TEST_F(OverlayTest, ErrorHidesAfterFourSecondsRestartedByAnotherError) {
    controller.showError("Network error");
    scheduler.advance(3999ms);
    EXPECT_TRUE(visible());
    scheduler.advance(1ms);
    EXPECT_FALSE(visible());
    EXPECT_EQ(scheduler.pendingCount(), 0u);

    controller.showError("Network error");
    scheduler.advance(3000ms);
    controller.showError("Request timed out");
    scheduler.advance(3000ms);
    EXPECT_TRUE(visible()) << "the second error restarted the four seconds";
    scheduler.advance(1000ms);
    EXPECT_FALSE(visible());
}

TEST_F(OverlayTest, ShowCancelsThePendingErrorHide) {
    controller.showError("Network error");
    scheduler.advance(1000ms);
    controller.show(RecordingStateValue::processing, nullptr);
    scheduler.advance(10s);
    EXPECT_TRUE(visible());
    EXPECT_TRUE(controller.panel()->findChild<SpinnerView*>()->isVisible());

    controller.showError("Network error");
    controller.dismiss();
    EXPECT_FALSE(visible());
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(OverlayTest, NonRecordingStatesHideThePanelAndDropTheRecorder) {
    for (RecordingStateValue state : {RecordingStateValue::idle, RecordingStateValue::pendingIntent,
                                      RecordingStateValue::checkDoublePress}) {
        controller.show(RecordingStateValue::handsfreeRecording, &levels);
        levels.setLevel(0.5f);
        scheduler.advance(100ms);
        ASSERT_TRUE(visible());
        ASSERT_GT(levels.readCount(), 0);

        controller.show(state, &levels);
        EXPECT_FALSE(visible()) << caseName(state).toStdString();
        EXPECT_EQ(controller.levelSource(), nullptr) << caseName(state).toStdString();
        EXPECT_EQ(scheduler.pendingCount(), 0u) << caseName(state).toStdString();
        const int reads = levels.readCount();
        scheduler.advance(1s);
        EXPECT_EQ(levels.readCount(), reads);
    }
}

TEST_F(OverlayTest, ProcessingStopsSamplingTheLevel) {
    controller.show(RecordingStateValue::holdRecording, &levels);
    scheduler.advance(1s);
    EXPECT_EQ(levels.readCount(), 30);  // 30 a second

    controller.show(RecordingStateValue::processing, nullptr);
    EXPECT_EQ(controller.levelSource(), nullptr);
    scheduler.advance(1s);
    EXPECT_EQ(levels.readCount(), 30);

    controller.dismiss();
    EXPECT_EQ(scheduler.pendingCount(), 0u);
}

TEST_F(OverlayTest, OnePanelWithTheSameContentAcrossAllCalls) {
    controller.show(RecordingStateValue::holdRecording, &levels);
    QWidget* panel = controller.panel();
    ASSERT_NE(panel, nullptr);
    const QList<QWidget*> contents = panel->findChildren<QWidget*>();

    for (int i = 0; i < 30; ++i) {
        levels.setLevel(i % 2 ? 0.9f : 0.1f);
        scheduler.advance(33ms);
    }
    EXPECT_EQ(panel->findChildren<QWidget*>(), contents) << "a level repaints, never rebuilds";

    controller.show(RecordingStateValue::processing, nullptr);
    controller.showError("API Error");
    controller.dismiss();
    controller.show(RecordingStateValue::idle, nullptr);
    controller.show(RecordingStateValue::holdRecording, &levels);
    EXPECT_EQ(controller.panel(), panel);
    EXPECT_EQ(panel->findChildren<QWidget*>(), contents);

    int panels = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        panels += qobject_cast<OverlayPanel*>(widget) ? 1 : 0;
    }
    EXPECT_EQ(panels, 1);
}

TEST_F(OverlayTest, StaysCentredAboveTheBottomWhenTheWidthChanges) {
    controller.show(RecordingStateValue::holdRecording, &levels);
    expectCentredAboveTheBottom();
    controller.showError(QString(60, 'x'));
    EXPECT_EQ(controller.panel()->width(), 400);
    expectCentredAboveTheBottom();
    controller.showError(QString(31, 'x'));  // 272.5 rounds to 273: an odd width
    expectCentredAboveTheBottom();
    controller.show(RecordingStateValue::processing, nullptr);
    EXPECT_EQ(controller.panel()->size(), QSize(72, 28));
    expectCentredAboveTheBottom();
}

TEST_F(OverlayTest, WithoutACompositorThePanelIsCutToThePill) {
    compositor.setCompositing(false);
    controller.show(RecordingStateValue::holdRecording, &levels);
    QRegion mask = controller.panel()->mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_TRUE(mask.contains(QPoint(36, 14)));
    EXPECT_TRUE(mask.contains(QPoint(36, 0)));

    controller.showError(QString(48, 'x'));  // the shape follows the new size
    mask = controller.panel()->mask();
    EXPECT_TRUE(mask.contains(QPoint(390, 16)));
    EXPECT_FALSE(mask.contains(QPoint(399, 31)));

    compositor.setCompositing(true);
    controller.show(RecordingStateValue::holdRecording, &levels);
    EXPECT_TRUE(controller.panel()->mask().isEmpty());
}

TEST_F(OverlayTest, ConditionalDismissalTakesDownOnlyTheContentItNames) {
    const auto waveform = controller.show(RecordingStateValue::holdRecording, &levels);
    const auto spinner = controller.show(RecordingStateValue::processing, nullptr);
    EXPECT_NE(waveform, spinner);
    EXPECT_EQ(controller.show(RecordingStateValue::idle, nullptr), DictationOverlay::noContent)
        << "nothing is put up for a state without content";
    EXPECT_FALSE(visible());

    const auto newer = controller.show(RecordingStateValue::handsfreeRecording, &levels);
    controller.dismissIfShowing(spinner);
    EXPECT_TRUE(visible()) << "an older content's end leaves the newer one";
    controller.dismissIfShowing(DictationOverlay::noContent);
    EXPECT_TRUE(visible());

    controller.showError(QStringLiteral("Network error"));
    controller.dismissIfShowing(newer);
    EXPECT_TRUE(visible()) << "an error is never taken down by a run's end";
    scheduler.advance(4000ms);
    EXPECT_FALSE(visible());

    const auto latest = controller.show(RecordingStateValue::processing, nullptr);
    controller.dismissIfShowing(latest);
    EXPECT_FALSE(visible());
    EXPECT_EQ(controller.levelSource(), nullptr);
}

TEST_F(OverlayTest, LiveTextShowsTheNewestWordsUnderTheWaveformOnOneLine) {
    const auto waveform = controller.show(RecordingStateValue::holdRecording, &levels);
    auto* panel = static_cast<OverlayPanel*>(controller.panel());
    controller.showLiveText(waveform, QStringLiteral("Dear Anna,"));
    ASSERT_TRUE(panel->showsLiveText());
    EXPECT_EQ(panel->liveText()->text(), "Dear Anna,");
    EXPECT_EQ(panel->size(),
              QSize(OverlayWindowController::liveTextWidth, panel->heightWithLiveText()));
    EXPECT_EQ(panel->waveform()->geometry(), QRect(0, 0, 300, OverlayPanel::waveformRowHeight));
    EXPECT_GE(panel->liveText()->geometry().top(), OverlayPanel::waveformRowHeight);
    expectCentredAboveTheBottom();

    // Too many words for the line: the oldest give way, the newest show in full.
    QString words;
    for (int i = 1; i <= 60; ++i) {
        words += QStringLiteral("word%1 ").arg(i);
    }
    controller.showLiveText(waveform, words + QStringLiteral("\nthe newest words"));
    const QString shown = panel->liveText()->text();
    EXPECT_TRUE(shown.startsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("word60 the newest words")) << shown.toStdString();
    EXPECT_FALSE(shown.contains('\n'));
    EXPECT_LE(panel->liveText()->fontMetrics().horizontalAdvance(shown),
              panel->liveText()->width());

    // Markup is shown as the words it is, not interpreted.
    controller.showLiveText(waveform, QStringLiteral("<b>bold</b>"));
    EXPECT_EQ(panel->liveText()->textFormat(), Qt::PlainText);

    controller.showLiveText(waveform, QString());
    EXPECT_FALSE(panel->showsLiveText());
    EXPECT_EQ(panel->size(), QSize(72, 28));
    expectCentredAboveTheBottom();
}

TEST_F(OverlayTest, LiveTextBelongsToItsRecordingAlone) {
    const auto waveform = controller.show(RecordingStateValue::holdRecording, &levels);
    auto* panel = static_cast<OverlayPanel*>(controller.panel());
    controller.showLiveText(waveform, QStringLiteral("spoken"));
    ASSERT_TRUE(panel->showsLiveText());

    const auto spinner = controller.show(RecordingStateValue::processing, nullptr);
    EXPECT_FALSE(panel->showsLiveText()) << "the release takes the line away";
    EXPECT_EQ(panel->size(), QSize(72, 28));
    controller.showLiveText(waveform, QStringLiteral("late words"));
    controller.showLiveText(spinner, QStringLiteral("under the spinner"));
    EXPECT_FALSE(panel->showsLiveText());
    EXPECT_EQ(panel->size(), QSize(72, 28));

    const auto next = controller.show(RecordingStateValue::handsfreeRecording, &levels);
    EXPECT_FALSE(panel->showsLiveText()) << "a new recording starts without words";
    controller.showLiveText(next, QStringLiteral("hands free"));
    controller.showError(QStringLiteral("Network error"));
    EXPECT_FALSE(panel->showsLiveText());
    controller.showLiveText(next, QStringLiteral("after the error"));
    EXPECT_FALSE(panel->showsLiveText());
    EXPECT_EQ(panel->height(), OverlayWindowController::errorHeight);

    const auto again = controller.show(RecordingStateValue::holdRecording, &levels);
    controller.showLiveText(again, QStringLiteral("words"));
    controller.dismiss();
    controller.showLiveText(again, QStringLiteral("after the end"));
    EXPECT_FALSE(visible());
}
