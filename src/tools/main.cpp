#include "platform/linux/SqliteDefaultsStore.h"
#include "tools/DefaultsCommand.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    QTextStream out(stdout);
    QTextStream err(stderr);
    // Help needs no store: do not create one just to print it.
    if (!arguments.isEmpty() && arguments.first() == QLatin1String("--help")) {
        out << DefaultsCommand::usage();
        return DefaultsCommand::success;
    }
    SqliteDefaultsStore store;
    return DefaultsCommand(store, out, err).run(arguments);
}
