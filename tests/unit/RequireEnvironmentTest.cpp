#include "support/RequireEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

void requireAMissingServer() {
    REQUIRE_ENVIRONMENT(false, "the test server");
}

// Restores CI as the run had it, whatever a case sets.
class RequireEnvironmentTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (hadCi_)
            qputenv("CI", ci_);
        else
            qunsetenv("CI");
    }

private:
    bool hadCi_ = qEnvironmentVariableIsSet("CI");
    QByteArray ci_ = qgetenv("CI");
};

// A broken harness must turn CI red, while a developer without the servers is told, not failed.
TEST_F(RequireEnvironmentTest, AMissingServerFailsUnderCiAndSkipsWithTheReasonElsewhere) {
    qputenv("CI", "true");
    EXPECT_FATAL_FAILURE(requireAMissingServer(), "missing the test server");

    qunsetenv("CI");
    ::testing::TestPartResultArray results;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        requireAMissingServer();
    }
    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(results.GetTestPartResult(0).skipped());
    EXPECT_THAT(results.GetTestPartResult(0).message(),
                ::testing::HasSubstr("missing the test server"));
}

}  // namespace
