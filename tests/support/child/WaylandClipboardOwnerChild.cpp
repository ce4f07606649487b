// Owns the Wayland clipboard with the formats given as TYPE=FILE arguments, the way another
// application would, until its selection is replaced or it is killed. Prints "owning" once the
// compositor has made it the selection.
#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/WaylandConnection.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    WaylandConnection connection;
    DataControlPasteboard pasteboard(connection);
    if (!pasteboard.isAvailable()) {
        std::fputs("no data control\n", stderr);
        return 2;
    }
    Pasteboard::Contents contents;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        // Types may hold "=" themselves (charset=utf-8): the file follows the last one.
        const qsizetype equals = argument.lastIndexOf(QLatin1Char('='));
        QFile file(argument.mid(equals + 1));
        if (equals < 1 || !file.open(QIODevice::ReadOnly)) {
            std::fputs("usage: wayland_clipboard_owner_child TYPE=FILE...\n", stderr);
            return 2;
        }
        contents.append({argument.left(equals), file.readAll()});
    }
    pasteboard.writeContents(contents);
    connection.roundtrip();
    std::puts("owning");
    std::fflush(stdout);
    QObject::connect(&pasteboard, &DataControlPasteboard::selectionChanged, &app,
                     &QCoreApplication::quit);
    return QCoreApplication::exec();
}
