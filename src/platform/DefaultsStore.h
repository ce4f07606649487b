#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

// The per-user preferences store. Every read asks the store afresh, so a value written by
// another process is what the next read returns.
class DefaultsStore {
public:
    using Value = std::variant<QString, bool, qint64, QByteArray>;

    virtual ~DefaultsStore() = default;

    virtual std::optional<Value> value(const QString& key) const = 0;
    // Both return false when the store could not change; lastError() then says why.
    virtual bool setValue(const QString& key, const Value& value) = 0;
    virtual bool remove(const QString& key) = 0;
    virtual QStringList keys() const = 0;
    // Why the last failed write or removal failed.
    virtual QString lastError() const { return {}; }

    // The stored string, or none when absent or of another type.
    std::optional<QString> string(const QString& key) const;
    // The stored value read as a Boolean; false when absent.
    bool boolean(const QString& key) const;
    // The stored value read as an integer; 0 when absent.
    qint64 integer(const QString& key) const;
    // The stored bytes, or none when absent or of another type.
    std::optional<QByteArray> data(const QString& key) const;
    bool contains(const QString& key) const { return value(key).has_value(); }

    bool setString(const QString& key, const QString& v) { return setValue(key, Value(v)); }
    bool setBoolean(const QString& key, bool v) { return setValue(key, Value(v)); }
    bool setInteger(const QString& key, qint64 v) { return setValue(key, Value(v)); }
    bool setData(const QString& key, const QByteArray& v) { return setValue(key, Value(v)); }
};
