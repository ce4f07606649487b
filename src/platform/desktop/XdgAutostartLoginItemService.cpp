#include "platform/desktop/XdgAutostartLoginItemService.h"

#include "BuildConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QHash>
#include <QStandardPaths>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

const QString programName = QStringLiteral("quillo");

void setError(QString* error, const QString& message) {
    if (error) {
        *error = message;
    }
}

bool sameFile(const QString& candidate, const QFileInfo& running) {
    const QString canonical = QFileInfo(candidate).canonicalFilePath();
    return !canonical.isEmpty() && canonical == running.canonicalFilePath();
}

// freedesktop.org Desktop Entry format, "The Exec key": an argument with a reserved character goes in
// double quotes, inside which ", `, $ and \ take a backslash; a literal % is written %%.
QString quoteExecArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString quoted = argument;
    const bool needsQuotes =
        std::any_of(argument.begin(), argument.end(), [](QChar c) { return reserved.contains(c); });
    if (needsQuotes) {
        quoted.clear();
        for (const QChar c : argument) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\')) {
                quoted += QLatin1Char('\\');
            }
            quoted += c;
        }
        quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    return quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

// The escapes of a string value in a desktop file, applied on top of the Exec quoting.
QString escapeValue(const QString& value) {
    QString escaped;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\')) {
            escaped += QStringLiteral("\\\\");
        } else if (c == QLatin1Char('\n')) {
            escaped += QStringLiteral("\\n");
        } else if (c == QLatin1Char('\t')) {
            escaped += QStringLiteral("\\t");
        } else if (c == QLatin1Char('\r')) {
            escaped += QStringLiteral("\\r");
        } else {
            escaped += c;
        }
    }
    return escaped;
}

// The XDG base directory rules create missing configuration folders readable by the owner only.
bool makeOwnerOnlyPath(const QString& path) {
    QStringList missing;
    QString existing = QDir::cleanPath(path);
    while (!QFileInfo(existing).isDir()) {
        if (QFileInfo::exists(existing) || existing == QLatin1String("/")) {
            return false;
        }
        missing.prepend(QFileInfo(existing).fileName());
        existing = QFileInfo(existing).path();
    }
    QDir dir(existing);
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    for (const QString& name : std::as_const(missing)) {
        if (!dir.mkdir(name, ownerOnly) || !dir.cd(name)) {
            return false;
        }
    }
    return true;
}

// The keys of the [Desktop Entry] group, or nothing when the file has no such group.
std::optional<QHash<QString, QString>> readDesktopEntryGroup(const QByteArray& contents) {
    std::optional<QHash<QString, QString>> keys;
    bool inGroup = false;
    for (const QByteArray& rawLine : contents.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            if (inGroup && !keys) {
                keys.emplace();
            }
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || line.startsWith(QLatin1Char('#')) || equals <= 0) {
            continue;
        }
        keys->insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return keys;
}

}  // namespace

XdgAutostartLoginItemService::Installation XdgAutostartLoginItemService::Installation::current() {
    const QString path = qEnvironmentVariable("PATH");
    return {QString::fromUtf8(BuildConfig::installBinDir),
            path.split(QLatin1Char(':'), Qt::SkipEmptyParts)};
}

XdgAutostartLoginItemService::XdgAutostartLoginItemService(QString executablePath,
                                                           QString configHome,
                                                           Installation installation)
    : executablePath_(std::move(executablePath)),
      configHome_(std::move(configHome)),
      installation_(std::move(installation)) {}

QString XdgAutostartLoginItemService::defaultConfigHome() {
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured)) {
        return configured;
    }
    return QDir::homePath() + QStringLiteral("/.config");
}

QString XdgAutostartLoginItemService::entryPath() const {
    return configHome_ + QStringLiteral("/autostart/quillo.desktop");
}

QString XdgAutostartLoginItemService::execCommand() const {
    const QFileInfo running(executablePath_);
    // Through the search path the entry keeps working when the package moves the binary.
    if (!installation_.searchPath.isEmpty()) {
        const QString onPath =
            QStandardPaths::findExecutable(programName, installation_.searchPath);
        if (!onPath.isEmpty() && sameFile(onPath, running)) {
            return programName;
        }
    }
    const QString installed = QDir(installation_.binDir).filePath(programName);
    if (!installation_.binDir.isEmpty() && sameFile(installed, running)) {
        return quoteExecArgument(QDir::cleanPath(installed));
    }
    // A build-tree binary: its own absolute path, never an installed quillo of another version.
    return quoteExecArgument(running.absoluteFilePath());
}

QString XdgAutostartLoginItemService::entryContents() const {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Quillo\n"
               "Comment=Push-to-talk dictation\n"
               "Exec=%1\n"
               "Icon=quillo\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n")
        .arg(escapeValue(execCommand()));
}

bool XdgAutostartLoginItemService::registerItem(QString* error) {
    if (executablePath_.isEmpty() || !QFileInfo(executablePath_).isAbsolute()) {
        setError(error, QStringLiteral("The running executable's path is unknown"));
        return false;
    }
    const QString folder = QFileInfo(entryPath()).path();
    if (!makeOwnerOnlyPath(folder)) {
        setError(error, QStringLiteral("Cannot create %1").arg(folder));
        return false;
    }
    // Written whole or not at all: a session must never read half an entry.
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly) || file.write(entryContents().toUtf8()) < 0 ||
        !file.commit()) {
        setError(error, QStringLiteral("Cannot write %1: %2").arg(entryPath(), file.errorString()));
        return false;
    }
    QFile::setPermissions(
        entryPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return true;
}

bool XdgAutostartLoginItemService::unregisterItem(QString* error) {
    QFile file(entryPath());
    if (!file.exists() || file.remove()) {
        return true;
    }
    setError(error, QStringLiteral("Cannot remove %1: %2").arg(entryPath(), file.errorString()));
    return false;
}

LoginItemService::Status XdgAutostartLoginItemService::status() const {
    QFile file(entryPath());
    if (!QFileInfo::exists(entryPath())) {
        return Status::notRegistered;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return Status::notFound;
    }
    const auto keys = readDesktopEntryGroup(file.readAll());
    // A session ignores a file without the group: there is an entry, but nothing would start.
    if (!keys) {
        return Status::notFound;
    }
    // Session settings switch an entry off with one of these rather than deleting it; the user
    // has to turn it back on, which registering again does.
    if (keys->value(QStringLiteral("Hidden")) == QLatin1String("true") ||
        keys->value(QStringLiteral("X-GNOME-Autostart-enabled")) == QLatin1String("false")) {
        return Status::requiresApproval;
    }
    return Status::enabled;
}
