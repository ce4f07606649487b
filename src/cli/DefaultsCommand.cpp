#include "cli/DefaultsCommand.h"

#include "platform/DefaultsStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QRegularExpression>

namespace {

bool isSecretKey(const QString& key) {
    return key.contains(QLatin1String("api_key")) || key.contains(QLatin1String("secret")) ||
           key.contains(QLatin1String("token"));
}

QString masked(const QString& secret) {
    if (secret.size() < 12) {
        return QStringLiteral("\"********\"");
    }
    return QStringLiteral("\"********%1\"").arg(secret.right(4));
}

QString quoted(const QString& s) {
    // A JSON string literal: quotes and control characters escaped, one line.
    const QByteArray json = QJsonDocument(QJsonArray{s}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

QString plain(const DefaultsStore::Value& value) {
    if (const auto* s = std::get_if<QString>(&value)) {
        return *s;
    }
    if (const auto* b = std::get_if<bool>(&value)) {
        return *b ? QStringLiteral("true") : QStringLiteral("false");
    }
    if (const auto* n = std::get_if<qint64>(&value)) {
        return QString::number(*n);
    }
    return QString::fromLatin1(std::get<QByteArray>(value).toHex());
}

QString listed(const QString& key, const DefaultsStore::Value& value) {
    if (const auto* s = std::get_if<QString>(&value)) {
        return isSecretKey(key) ? masked(*s) : quoted(*s);
    }
    if (std::holds_alternative<QByteArray>(value)) {
        return QLatin1Char('<') + plain(value) + QLatin1Char('>');
    }
    return plain(value);
}

std::optional<bool> parseBoolean(const QString& text) {
    const QString t = text.toLower();
    if (t == QLatin1String("true") || t == QLatin1String("yes") || t == QLatin1String("1")) {
        return true;
    }
    if (t == QLatin1String("false") || t == QLatin1String("no") || t == QLatin1String("0")) {
        return false;
    }
    return std::nullopt;
}

std::optional<QByteArray> parseHex(QString text) {
    text.remove(QRegularExpression(QStringLiteral("[\\s<>]")));
    static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
    if (!hex.match(text).hasMatch()) {
        return std::nullopt;
    }
    return QByteArray::fromHex(text.toLatin1());
}

}  // namespace

DefaultsCommand::DefaultsCommand(DefaultsStore& store, QTextStream& out, QTextStream& err,
                                 QTextStream* in)
    : store_(store), out_(out), err_(err), in_(in) {}

QString DefaultsCommand::usage() {
    return QStringLiteral(
        "Usage: quillo-defaults COMMAND\n"
        "Read, write and delete Quillo's stored preferences.\n"
        "\n"
        "  read                          list every key and its value (secrets masked)\n"
        "  read KEY                      print the value of KEY\n"
        "  write KEY -string VALUE       store a string\n"
        "  write KEY -string -           store a string read from standard input (for keys)\n"
        "  write KEY -bool true|false    store a Boolean (also yes/no, 1/0)\n"
        "  write KEY -int NUMBER         store an integer\n"
        "  write KEY -data HEX           store bytes given as hexadecimal digits\n"
        "  delete KEY                    remove KEY\n"
        "  --help                        show this help\n"
        "\n"
        "Example: quillo-defaults write use_backend -bool false\n"
        "         quillo-defaults write openai_api_key -string - < key.txt\n");
}

int DefaultsCommand::run(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        err_ << usage();
        return usageError;
    }
    const QString& command = arguments.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        out_ << usage();
        return success;
    }
    if (command == QLatin1String("read") && arguments.size() == 1) {
        return readAll();
    }
    if (command == QLatin1String("read") && arguments.size() == 2) {
        return readKey(arguments.at(1));
    }
    if (command == QLatin1String("write")) {
        return write(arguments.mid(1));
    }
    if (command == QLatin1String("delete") && arguments.size() == 2) {
        return remove(arguments.at(1));
    }
    if (command == QLatin1String("read") || command == QLatin1String("delete")) {
        return refuse(QStringLiteral("'%1' takes %2")
                          .arg(command, command == QLatin1String("read")
                                            ? QStringLiteral("at most one KEY")
                                            : QStringLiteral("exactly one KEY")));
    }
    return refuse(QStringLiteral("unknown command '%1'").arg(command));
}

int DefaultsCommand::readAll() {
    for (const QString& key : store_.keys()) {
        if (const auto value = store_.value(key)) {
            out_ << key << " = " << listed(key, *value) << '\n';
        }
    }
    return success;
}

int DefaultsCommand::readKey(const QString& key) {
    const auto value = store_.value(key);
    if (!value) {
        err_ << "quillo-defaults: the key '" << key << "' does not exist\n";
        return failure;
    }
    // A key is not printed whole: the terminal's scrollback and screen sharing would keep it.
    const auto* text = std::get_if<QString>(&*value);
    out_ << (text && isSecretKey(key) ? masked(*text) : plain(*value)) << '\n';
    return success;
}

int DefaultsCommand::write(const QStringList& arguments) {
    if (arguments.size() != 3) {
        return refuse(QStringLiteral("'write' takes KEY, a type flag and a VALUE"));
    }
    const QString& key = arguments.at(0);
    const QString& flag = arguments.at(1);
    const QString& text = arguments.at(2);
    if (key.isEmpty()) {
        return refuse(QStringLiteral("the KEY must not be empty"));
    }
    bool stored = false;
    if (flag == QLatin1String("-string")) {
        const std::optional<QString> string = stringArgument(text);
        if (!string)
            return refuse(
                QStringLiteral("'-' reads the value from standard input, which is not "
                               "available"));
        stored = store_.setString(key, *string);
    } else if (flag == QLatin1String("-bool")) {
        const auto b = parseBoolean(text);
        if (!b) {
            return refuse(QStringLiteral("'%1' is not a Boolean (use true or false)").arg(text));
        }
        stored = store_.setBoolean(key, *b);
    } else if (flag == QLatin1String("-int")) {
        bool ok = false;
        const qint64 n = text.toLongLong(&ok);
        if (!ok) {
            return refuse(QStringLiteral("'%1' is not an integer").arg(text));
        }
        stored = store_.setInteger(key, n);
    } else if (flag == QLatin1String("-data")) {
        const auto bytes = parseHex(text);
        if (!bytes) {
            return refuse(
                QStringLiteral("'%1' is not an even number of hexadecimal digits").arg(text));
        }
        stored = store_.setData(key, *bytes);
    } else {
        return refuse(
            QStringLiteral("unknown type flag '%1' (use -string, -bool, -int or -data)").arg(flag));
    }
    if (!stored) {
        return fail(QStringLiteral("could not write '%1'").arg(key));
    }
    return success;
}

std::optional<QString> DefaultsCommand::stringArgument(const QString& text) {
    if (text != QLatin1String("-"))
        return text;
    if (!in_)
        return std::nullopt;
    QString value = in_->readAll();
    if (value.endsWith(QLatin1Char('\n')))
        value.chop(1);
    if (value.endsWith(QLatin1Char('\r')))
        value.chop(1);
    return value;
}

int DefaultsCommand::remove(const QString& key) {
    if (!store_.contains(key)) {
        err_ << "quillo-defaults: the key '" << key << "' does not exist\n";
        return failure;
    }
    if (!store_.remove(key)) {
        return fail(QStringLiteral("could not delete '%1'").arg(key));
    }
    return success;
}

int DefaultsCommand::fail(const QString& what) {
    err_ << "quillo-defaults: " << what << ": " << store_.lastError() << '\n';
    return failure;
}

int DefaultsCommand::refuse(const QString& message) {
    err_ << "quillo-defaults: " << message << "\n"
         << "Try 'quillo-defaults --help' for more information.\n";
    return usageError;
}
