#include "app/CommandLine.h"

#include "BuildConfig.h"

namespace CommandLine {
namespace {

const QString programName = QStringLiteral("quillo");

// GNU getopt_long accepts any unambiguous abbreviation of a long option: "--vers" is --version.
bool abbreviates(const QString& argument, QLatin1String option) {
    return argument.size() >= 3 && option.startsWith(argument);
}

int refuse(QTextStream& err, const QString& problem) {
    err << programName << ": " << problem << '\n'
        << "Try '" << programName << " --help' for more information.\n";
    err.flush();
    return usageError;
}

}  // namespace

std::optional<int> handle(int argc, char** argv, QTextStream& out, QTextStream& err) {
    // The first argument decides, as with getopt: "--help --bogus" prints the help.
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("--")) {
            if (i + 1 < argc) {
                return refuse(
                    err,
                    QStringLiteral("extra operand '%1'").arg(QString::fromLocal8Bit(argv[i + 1])));
            }
            return std::nullopt;
        }
        if (abbreviates(argument, QLatin1String("--help"))) {
            out << "Usage: " << programName
                << " [--help] [--version] [--hotkey-press | --hotkey-release]\n"
                << "Push-to-talk dictation from the system tray; the hotkey options hand a "
                   "compositor's key binding to the running "
                << programName << ", which takes no other options.\n";
            out.flush();
            return success;
        }
        if (abbreviates(argument, QLatin1String("--version"))) {
            out << programName << ' ' << BuildConfig::version << '\n';
            out.flush();
            return success;
        }
        if (argument == QLatin1String("--hotkey-press") ||
            argument == QLatin1String("--hotkey-release")) {
            if (i + 1 < argc) {
                return refuse(
                    err,
                    QStringLiteral("extra operand '%1'").arg(QString::fromLocal8Bit(argv[i + 1])));
            }
            return std::nullopt;
        }
        if (argument.size() > 1 && argument.startsWith(QLatin1Char('-'))) {
            return refuse(err, QStringLiteral("unrecognized option '%1'").arg(argument));
        }
        return refuse(err, QStringLiteral("extra operand '%1'").arg(argument));
    }
    return std::nullopt;
}

std::optional<HotkeyCommand> hotkeyCommand(int argc, char** argv) {
    if (argc != 2)
        return std::nullopt;
    const QByteArray argument(argv[1]);
    if (argument == "--hotkey-press")
        return HotkeyCommand::press;
    if (argument == "--hotkey-release")
        return HotkeyCommand::release;
    return std::nullopt;
}

}  // namespace CommandLine
