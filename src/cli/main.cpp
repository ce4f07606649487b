#include "cli/DefaultsCommand.h"
#include "platform/desktop/SqliteDefaultsStore.h"

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
    // Reading or writing the session-only store it falls back to would report what is not so.
    if (!store.openFailure().isEmpty()) {
        err << "quillo-defaults: cannot use the preferences store at "
            << SqliteDefaultsStore::defaultPath() << ": " << store.openFailure() << '\n';
        return DefaultsCommand::failure;
    }
    QTextStream in(stdin);
    return DefaultsCommand(store, out, err, &in).run(arguments);
}
