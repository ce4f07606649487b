#pragma once

#include "support/MicPipeFeeder.h"
#include "support/MicPipeLock.h"
#include "support/RequireEnvironment.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

// A test against the private sound server of scripts/with-test-env.sh, with its microphone
// pipe to itself for the test's duration.
class SoundServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(RequireEnvironment::hasSoundServer(),
                            "the PulseAudio server of scripts/with-test-env.sh");
        pipeLock_ = std::make_unique<MicPipeLock>(MicPipeFeeder::pipePath());
    }
    void TearDown() override { pipeLock_.reset(); }

    // Runs the event loop until `done` or the time is up; the sound server's callbacks arrive
    // on their own threads meanwhile.
    template <typename Condition>
    static bool waitFor(Condition done, int milliseconds = 5000) {
        QElapsedTimer elapsed;
        elapsed.start();
        while (!done() && elapsed.elapsed() < milliseconds) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return done();
    }

private:
    std::unique_ptr<MicPipeLock> pipeLock_;
};
