#pragma once

#include "platform/DefaultsStore.h"

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// The preferences in one SQLite file (WAL, one row per key with its type). Every read goes to
// the file, so writes by other processes are seen at once. A damaged file is moved aside and a
// fresh store started: stored data is never silently overwritten.
class SqliteDefaultsStore final : public DefaultsStore {
public:
    // $XDG_CONFIG_HOME/quillo/defaults.sqlite3
    static QString defaultPath();

    explicit SqliteDefaultsStore(const QString& path = defaultPath());
    ~SqliteDefaultsStore() override;
    SqliteDefaultsStore(const SqliteDefaultsStore&) = delete;
    SqliteDefaultsStore& operator=(const SqliteDefaultsStore&) = delete;

    std::optional<Value> value(const QString& key) const override;
    void setValue(const QString& key, const Value& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;

    QString path() const { return path_; }
    // Where a damaged file was moved at open, if it was.
    QString movedAsidePath() const { return movedAsidePath_; }

private:
    bool open();
    bool openFile(QString* failure);
    void close();
    void moveAside(const QString& reason);
    sqlite3_stmt* prepare(const char* sql) const;
    void reportFailure(const char* operation) const;

    QString path_;
    QString movedAsidePath_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* select_ = nullptr;
    sqlite3_stmt* upsert_ = nullptr;
    sqlite3_stmt* delete_ = nullptr;
    sqlite3_stmt* listKeys_ = nullptr;
};
