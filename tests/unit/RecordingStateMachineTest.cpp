#include "models/RecordingStateMachine.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>
#include <map>

using S = RecordingStateValue;

namespace {

const std::array<S, 6> allStates{S::idle, S::pendingIntent, S::checkDoublePress,
                                 S::holdRecording, S::handsfreeRecording, S::processing};

struct Operation {
    const char* name;
    std::function<void(RecordingStateMachine&)> call;
    std::map<S, S> moves;  // every state not listed stays where it is
};

}  // namespace

TEST(RecordingStateMachine, EveryOperationInEveryStateFollowsTheTable) {
    const std::vector<Operation> operations{
        {"onKeyDown", &RecordingStateMachine::onKeyDown,
         {{S::idle, S::pendingIntent},
          {S::checkDoublePress, S::handsfreeRecording},
          {S::handsfreeRecording, S::processing},
          {S::processing, S::pendingIntent}}},
        {"onKeyUp", &RecordingStateMachine::onKeyUp,
         {{S::pendingIntent, S::checkDoublePress}, {S::holdRecording, S::processing}}},
        {"onHoldThresholdReached", &RecordingStateMachine::onHoldThresholdReached,
         {{S::pendingIntent, S::holdRecording}}},
        {"onDoublePressTimeout", &RecordingStateMachine::onDoublePressTimeout,
         {{S::checkDoublePress, S::idle}}},
        {"onProcessingComplete", &RecordingStateMachine::onProcessingComplete,
         {{S::processing, S::idle}}},
        {"onRecordingLimitReached", &RecordingStateMachine::onRecordingLimitReached,
         {{S::holdRecording, S::processing}, {S::handsfreeRecording, S::processing}}},
        {"reset", &RecordingStateMachine::reset,
         {{S::pendingIntent, S::idle},
          {S::checkDoublePress, S::idle},
          {S::holdRecording, S::idle},
          {S::handsfreeRecording, S::idle},
          {S::processing, S::idle}}},
    };
    for (const Operation& op : operations) {
        for (S from : allStates) {
            RecordingStateMachine machine;
            machine.setState(from);
            op.call(machine);
            const auto it = op.moves.find(from);
            const S expected = it == op.moves.end() ? from : it->second;
            EXPECT_EQ(machine.state(), expected) << op.name << " from " << caseName(from).toStdString();
        }
    }
}

// Followers (the app state, the overlay) hear of moves only: the release while hands-free, which
// changes nothing, is not announced.
TEST(RecordingStateMachine, OnlyAMoveIsAnnounced) {
    RecordingStateMachine machine;
    QSignalSpy spy(&machine, &RecordingStateMachine::stateChanged);
    machine.onKeyDown();
    machine.onKeyUp();
    machine.onKeyDown();
    machine.onKeyUp();
    machine.onKeyDown();
    std::vector<S> seen;
    for (const auto& args : spy) {
        seen.push_back(args.at(0).value<S>());
    }
    EXPECT_EQ(seen, (std::vector<S>{S::pendingIntent, S::checkDoublePress, S::handsfreeRecording,
                                    S::processing}));
}

// While an earlier dictation is still processed, every gesture that ends without a recording
// of its own returns to processing, and only the last dictation's end returns to idle.
TEST(RecordingStateMachine, EarlierDictationsPendingKeepTheMachineInProcessing) {
    RecordingStateMachine machine;
    machine.setState(S::processing);
    machine.setEarlierDictationsPending(true);
    machine.onProcessingComplete();
    EXPECT_EQ(machine.state(), S::processing);
    machine.onKeyDown();
    machine.onKeyUp();
    machine.onDoublePressTimeout();
    EXPECT_EQ(machine.state(), S::processing) << "a tap";
    machine.onKeyDown();
    machine.onHoldThresholdReached();
    machine.reset();
    EXPECT_EQ(machine.state(), S::processing) << "a cancelled recording";

    machine.setEarlierDictationsPending(false);
    machine.onProcessingComplete();
    EXPECT_EQ(machine.state(), S::idle);
}
