#pragma once

#include <QString>
#include <QStringList>

#include <chrono>

class MutterRemoteKeyboard;

// The headless GNOME Shell session of scripts/with-gnome.sh, seen from a test.
namespace GnomeTestSession {

// Whether the test runs inside it: the harness's marker and the shell on the session bus.
bool isRunning();

// A place in a log of the session's pieces ("gsd-media-keys.log"...): only what is written after
// it is looked at.
struct LogMark {
    QString file;
    qint64 offset = 0;
};
LogMark markLog(const QString& name);

enum class Grab { grabbed, refused, timedOut };
// Waits, after `mark` in the media keys' log, for GNOME's settings daemon to take up the custom
// shortcut at `entryPath` and for the shell to grab its keys, or to refuse them.
Grab waitForCustomGrab(const LogMark& mark, const QString& entryPath,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10));

// What the real `gsettings` tool reads from the session's settings (`gsettings get ARGS...`),
// trimmed; empty when it failed.
QString gsettingsGet(const QStringList& arguments);
// The output of the real `dconf dump DIR`.
QString dconfDump(const QString& dir);

// Makes the portal frontend offer KDE's GlobalShortcuts, as where KDE's portal is installed
// beside GNOME's: its file goes into the frontend's folder and the running frontend is ended, so
// D-Bus starts one that reads the folder again. False when that could not be done.
bool offerKdeGlobalShortcuts();

// The RemoteDesktop portal's consent dialog, answered as a user would once it has opened and
// taken the focus: the switch on, then "Share".
void answerRemoteDesktopConsent(MutterRemoteKeyboard& keyboard);

}  // namespace GnomeTestSession
