#pragma once

#include <QStringList>
#include <QTextStream>

#include <optional>

class DefaultsStore;

// The command line of quillo-defaults: read, write and delete stored preferences.
class DefaultsCommand {
public:
    enum ExitCode { success = 0, failure = 1, usageError = 2 };

    // `in` gives the value of `write KEY -string -`, so a key never has to be on a command line.
    DefaultsCommand(DefaultsStore& store, QTextStream& out, QTextStream& err,
                    QTextStream* in = nullptr);

    // `arguments` without the program name.
    int run(const QStringList& arguments);
    static QString usage();

private:
    int readAll();
    int readKey(const QString& key);
    int write(const QStringList& arguments);
    // The text given for a string: standard input for "-", without its final line break.
    std::optional<QString> stringArgument(const QString& text);
    int remove(const QString& key);
    int refuse(const QString& message);
    // A change the store did not make: what, and the store's reason.
    int fail(const QString& what);

    DefaultsStore& store_;
    QTextStream& out_;
    QTextStream& err_;
    QTextStream* in_;
};
