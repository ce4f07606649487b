#pragma once

#include <QStringList>
#include <QTextStream>

class DefaultsStore;

// The command line of quillo-defaults: read, write and delete stored preferences.
class DefaultsCommand {
public:
    enum ExitCode { success = 0, failure = 1, usageError = 2 };

    DefaultsCommand(DefaultsStore& store, QTextStream& out, QTextStream& err);

    // `arguments` without the program name.
    int run(const QStringList& arguments);
    static QString usage();

private:
    int readAll();
    int readKey(const QString& key);
    int write(const QStringList& arguments);
    int remove(const QString& key);
    int refuse(const QString& message);
    // A change the store did not make: what, and the store's reason.
    int fail(const QString& what);

    DefaultsStore& store_;
    QTextStream& out_;
    QTextStream& err_;
};
