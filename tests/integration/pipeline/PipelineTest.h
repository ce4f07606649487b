#pragma once

#include "dictation/DictationCoordinator.h"
#include "services/hotkey/HotkeyManager.h"
#include "services/hotkey/HotkeyUtils.h"
#include "support/DictationRig.h"
#include "support/EventLoop.h"
#include "support/FakeFnKeySetting.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <memory>

// The dictation pipeline on the rig's fakes, driven by hotkey gestures on the test's own clock.
class PipelineTest : public ::testing::Test, protected DictationRig {
protected:
    void SetUp() override { HotkeyUtils::installFnKeySetting(&fnSetting); }
    void TearDown() override {
        coordinator_.reset();  // before the parts of derived fixtures go
        HotkeyUtils::installFnKeySetting(nullptr);
    }

    // Started at its first use, on the parts in place then.
    DictationCoordinator& coordinator() {
        if (!coordinator_) {
            coordinator_ = startCoordinator();
        }
        return *coordinator_;
    }
    RecordingStateValue state() { return coordinator().stateMachine().state(); }

    // Runs the event loop (the loopback server and the replies live there) until the run is
    // over: idle, with no more than `pendingAllowed` tasks left on the clock.
    void finishRun() {
        QElapsedTimer deadline;
        deadline.start();
        while (deadline.elapsed() < 10000) {
            scheduler.runDue();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            if (state() == RecordingStateValue::idle &&
                scheduler.pendingCount() <= pendingAllowed) {
                break;
            }
        }
        QCoreApplication::processEvents();
    }

    // A hold past the threshold and the run it starts, to its end.
    void holdGesture() {
        coordinator();
        hotkeys.press(HotkeyManager::hotkeyId);
        scheduler.advance(std::chrono::milliseconds(300));
        scheduler.runDue();  // the start task
        hotkeys.release(HotkeyManager::hotkeyId);
        scheduler.runDue();  // the stop task
        finishRun();
    }

    // What the pipeline logged of its runs.
    QStringList pipelineLines() const {
        QStringList lines;
        for (const QString& line : log.lines()) {
            if (line.startsWith("[Quillo]") || line.startsWith("Failed to start"))
                lines << line;
        }
        return lines;
    }

    std::size_t pendingAllowed = 0;
    FakeFnKeySetting fnSetting;
    std::unique_ptr<DictationCoordinator> coordinator_;
};
