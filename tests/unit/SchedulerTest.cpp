#include "base/QtScheduler.h"
#include "support/EventLoop.h"
#include "support/ManualScheduler.h"

#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

QCoro::Task<void> sleepThenNote(Scheduler& scheduler, std::chrono::milliseconds delay,
                                QStringList& notes, QString note) {
    co_await scheduler.sleep(delay);
    notes << note;
}

}  // namespace

TEST(ManualScheduler, RunsTimersInDueOrderAtTheirOwnTimes) {
    ManualScheduler scheduler;
    QStringList fired;
    std::vector<long> at;
    auto note = [&](const char* name) {
        return [&, name] {
            fired << name;
            at.push_back(static_cast<long>(scheduler.now().count()));
        };
    };
    auto late = scheduler.scheduleOnce(300ms, note("late"));
    auto early = scheduler.scheduleOnce(100ms, note("early"));
    auto tieA = scheduler.scheduleOnce(200ms, note("tieA"));
    auto tieB = scheduler.scheduleOnce(200ms, note("tieB"));
    scheduler.advance(250ms);
    EXPECT_EQ(fired, (QStringList{"early", "tieA", "tieB"}));
    EXPECT_EQ(at, (std::vector<long>{100, 200, 200}));
    EXPECT_EQ(scheduler.now(), 250ms);
    scheduler.advance(50ms);
    EXPECT_EQ(fired.last(), "late");
}

TEST(ManualScheduler, CancellationRepeatingAndTimersScheduledWhileRunning) {
    ManualScheduler scheduler;
    int ticks = 0;
    QStringList fired;
    {
        auto cancelledByScope = scheduler.scheduleOnce(10ms, [&] { fired << "scoped"; });
    }
    auto cancelled = scheduler.scheduleOnce(10ms, [&] { fired << "cancelled"; });
    cancelled.cancel();
    TimerHandle chained;
    auto first = scheduler.scheduleOnce(10ms, [&] {
        chained = scheduler.scheduleOnce(5ms, [&] { fired << "chained"; });
    });
    auto repeating = scheduler.scheduleRepeating(33ms, [&] { ++ticks; });
    scheduler.advance(100ms);
    EXPECT_EQ(fired, QStringList{"chained"}) << "a timer set by a timer runs within the same advance";
    EXPECT_EQ(ticks, 3);
    repeating.cancel();
    scheduler.advance(100ms);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(scheduler.pendingCount(), 0u);

    auto released = scheduler.scheduleOnce(1ms, [&] { fired << "released"; });
    released.release();
    scheduler.advance(1ms);
    EXPECT_EQ(fired.last(), "released") << "a released handle lets its timer run";
}

TEST(ManualScheduler, SleepingCoroutinesResumeInDueOrder) {
    ManualScheduler scheduler;
    QStringList notes;
    auto slow = sleepThenNote(scheduler, 4500ms, notes, "slow");
    auto fast = sleepThenNote(scheduler, 50ms, notes, "fast");
    scheduler.advance(49ms);
    EXPECT_TRUE(notes.isEmpty());
    scheduler.advance(1ms);
    EXPECT_EQ(notes, QStringList{"fast"});
    scheduler.advance(4450ms);
    EXPECT_EQ(notes, (QStringList{"fast", "slow"}));
    EXPECT_TRUE(slow.isReady());
}

TEST(QtScheduler, FiresOnTheEventLoopAndCancelsForReal) {
    QtScheduler scheduler;
    bool fired = false;
    bool cancelledFired = false;
    auto timer = scheduler.scheduleOnce(5ms, [&] { fired = true; });
    auto cancelled = scheduler.scheduleOnce(5ms, [&] { cancelledFired = true; });
    cancelled.cancel();
    EXPECT_TRUE(waitUntil([&] { return fired; }));
    EXPECT_FALSE(cancelledFired);
    EXPECT_GE(scheduler.now(), 5ms);
}
