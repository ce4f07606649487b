#include "app/CommandLine.h"

#include "BuildConfig.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Outcome {
    std::optional<int> exitCode;
    QString out;
    QString err;
};

Outcome handle(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "quillo");
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    Outcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    outcome.exitCode = CommandLine::handle(int(arguments.size()), argv.data(), out, err);
    out.flush();
    err.flush();
    return outcome;
}

}  // namespace

TEST(CommandLine, WithoutArgumentsQuilloStartsAndPrintsNothing) {
    const Outcome plain = handle({});
    EXPECT_FALSE(plain.exitCode.has_value());
    EXPECT_TRUE(plain.out.isEmpty());
    EXPECT_TRUE(plain.err.isEmpty());
    EXPECT_FALSE(handle({"--"}).exitCode.has_value()) << "-- only ends the options";
}

TEST(CommandLine, VersionAndHelpGoToStandardOutputAndSucceed) {
    const Outcome version = handle({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QStringLiteral("quillo %1\n").arg(BuildConfig::version));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^quillo \\d+\\.\\d+\\.\\d+\\n$"))
                    .match(version.out)
                    .hasMatch());
    EXPECT_TRUE(version.err.isEmpty());

    const Outcome help = handle({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral(
        "Usage: quillo [--help] [--version] [--hotkey-press | --hotkey-release]\n")));
    EXPECT_EQ(help.out.count(QLatin1Char('\n')), 2) << "usage and one line on what quillo is";
    EXPECT_TRUE(help.out.contains(QStringLiteral("no other options")));
    EXPECT_TRUE(help.err.isEmpty());

    EXPECT_EQ(handle({"--vers"}).out, version.out) << "unambiguous abbreviations, as getopt_long";
    EXPECT_EQ(handle({"--h"}).out, help.out);
    EXPECT_EQ(handle({"--help", "--bogus"}).out, help.out) << "the first argument decides";
}

TEST(CommandLine, AnythingElseIsAUsageErrorOnStandardError) {
    const Outcome unknown = handle({"--x"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_EQ(unknown.err,
              "quillo: unrecognized option '--x'\nTry 'quillo --help' for more information.\n");

    EXPECT_EQ(handle({"-v"}).err.section('\n', 0, 0), "quillo: unrecognized option '-v'");
    EXPECT_EQ(handle({"--helpme"}).err.section('\n', 0, 0),
              "quillo: unrecognized option '--helpme'");
    const Outcome operand = handle({"notes.txt"});
    EXPECT_EQ(operand.exitCode, 2);
    EXPECT_EQ(operand.err.section('\n', 0, 0), "quillo: extra operand 'notes.txt'");
    EXPECT_EQ(handle({"--", "-x"}).err.section('\n', 0, 0), "quillo: extra operand '-x'");
    EXPECT_EQ(handle({"--bogus", "--help"}).exitCode, 2);
}

namespace {

std::optional<CommandLine::HotkeyCommand> hotkeyCommand(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "quillo");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return CommandLine::hotkeyCommand(int(arguments.size()), argv.data());
}

}  // namespace

TEST(CommandLine, TheCompositorsBindingsHandTheHotkeyOver) {
    EXPECT_EQ(hotkeyCommand({"--hotkey-press"}), CommandLine::HotkeyCommand::press);
    EXPECT_EQ(hotkeyCommand({"--hotkey-release"}), CommandLine::HotkeyCommand::release);
    EXPECT_EQ(hotkeyCommand({}), std::nullopt);
    EXPECT_EQ(hotkeyCommand({"--hotkey"}), std::nullopt) << "spelt out in full, as bindings are";
    EXPECT_EQ(hotkeyCommand({"--hotkey-press", "x"}), std::nullopt);

    const Outcome extra = handle({"--hotkey-press", "x"});
    EXPECT_EQ(extra.exitCode, CommandLine::usageError);
    EXPECT_TRUE(extra.err.startsWith(QStringLiteral("quillo: extra operand 'x'\n")));
}
