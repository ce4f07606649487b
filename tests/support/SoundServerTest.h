#pragma once

#include "support/EventLoop.h"
#include "support/MicPipeFeeder.h"
#include "support/MicPipeLock.h"
#include "support/RequireEnvironment.h"

#include <gtest/gtest.h>

#include <memory>

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

private:
    std::unique_ptr<MicPipeLock> pipeLock_;
};
