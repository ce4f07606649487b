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
    virtual void setValue(const QString& key, const Value& value) = 0;
    virtual void remove(const QString& key) = 0;
    virtual QStringList keys() const = 0;

    // The stored string, or none when absent or of another type.
    std::optional<QString> string(const QString& key) const;
    // The stored value read as a Boolean; false when absent.
    bool boolean(const QString& key) const;
    // The stored value read as an integer; 0 when absent.
    qint64 integer(const QString& key) const;
    // The stored bytes, or none when absent or of another type.
    std::optional<QByteArray> data(const QString& key) const;
    bool contains(const QString& key) const { return value(key).has_value(); }

    void setString(const QString& key, const QString& v) { setValue(key, Value(v)); }
    void setBoolean(const QString& key, bool v) { setValue(key, Value(v)); }
    void setInteger(const QString& key, qint64 v) { setValue(key, Value(v)); }
    void setData(const QString& key, const QByteArray& v) { setValue(key, Value(v)); }
};
