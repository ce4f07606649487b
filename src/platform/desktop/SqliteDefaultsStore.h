#pragma once

#include "platform/DefaultsStore.h"

#include <QString>

#include <chrono>

struct sqlite3;
struct sqlite3_stmt;

// The preferences in one SQLite file (WAL, one row per key with its type). Every read goes to
// the file, so writes by other processes are seen at once. A file SQLite finds corrupt or not a
// database is moved aside and a fresh store started: stored data is never silently overwritten.
// A file that cannot be used for any other reason (locked, read-only, not readable) is left as
// it is, and the session keeps its preferences in memory.
class SqliteDefaultsStore final : public DefaultsStore {
public:
    // Why the file could not be opened: SQLite's result code and message.
    struct OpenFailure {
        int code = 0;
        QString message;
    };

    // $XDG_CONFIG_HOME/quillo/defaults.sqlite3
    static QString defaultPath();

    // How long a read or write waits for another process's write to end before it fails.
    static constexpr std::chrono::milliseconds defaultBusyTimeout{5000};

    explicit SqliteDefaultsStore(const QString& path = defaultPath(),
                                 std::chrono::milliseconds busyTimeout = defaultBusyTimeout);
    ~SqliteDefaultsStore() override;
    SqliteDefaultsStore(const SqliteDefaultsStore&) = delete;
    SqliteDefaultsStore& operator=(const SqliteDefaultsStore&) = delete;

    std::optional<Value> value(const QString& key) const override;
    bool setValue(const QString& key, const Value& value) override;
    bool remove(const QString& key) override;
    QStringList keys() const override;
    QString lastError() const override { return lastError_; }

    QString path() const { return path_; }
    // Where a damaged file was moved at open, if it was.
    QString movedAsidePath() const { return movedAsidePath_; }
    // Why the file could not be used, when the store runs in memory instead; empty otherwise.
    QString openFailure() const { return openFailure_; }

private:
    bool open(OpenFailure* failure);
    bool openFile(OpenFailure* failure);
    static bool isDamage(int sqliteCode);
    void close();
    void moveAside(const QString& reason);
    sqlite3_stmt* prepare(const char* sql) const;
    void reportFailure(const char* operation) const;
    bool finishChange(sqlite3_stmt* stmt, const char* operation);

    QString path_;
    QString movedAsidePath_;
    QString openFailure_;
    QString lastError_;
    std::chrono::milliseconds busyTimeout_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* select_ = nullptr;
    sqlite3_stmt* upsert_ = nullptr;
    sqlite3_stmt* delete_ = nullptr;
    sqlite3_stmt* listKeys_ = nullptr;
};
