#include "support/ChildProcess.h"
#include "support/SoundServerTest.h"

#include <gtest/gtest.h>

namespace {

using ExitAfterRecordingTest = SoundServerTest;

}  // namespace

// Qt's sound engine, torn down with the process, raced its own thread inside libpulse: about one
// exit in seventy aborted or crashed, so eighty quits in a row showed it in most runs. Each quit
// must end with the child's own exit code.
TEST_F(ExitAfterRecordingTest, EightyQuitsInTheMiddleOfARecordingAllEndCleanly) {
    MicPipeFeeder::drain(MicPipeFeeder::pipePath());
    MicPipeFeeder feeder(MicPipeFeeder::pipePath(), 440, 0.5);
    QStringList failures;
    for (int run = 0; run < 80; ++run) {
        const ChildProcess::Result result =
            ChildProcess::run(QStringLiteral(QUILLO_BINARY_DIR "/tests/recording_exit_child"), {},
                              QProcessEnvironment::systemEnvironment(), std::chrono::seconds(20));
        if (!result.finished || result.crashed || result.exitCode != 0 ||
            !result.out.contains("heard")) {
            failures << QStringLiteral("run %1: exit %2%3")
                            .arg(run)
                            .arg(result.exitCode)
                            .arg(result.crashed ? QStringLiteral(" (crashed)") : QString());
        }
    }
    EXPECT_TRUE(failures.isEmpty()) << failures.join(QStringLiteral("; ")).toStdString();
}
