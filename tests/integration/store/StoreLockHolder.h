#pragma once

#include <QFile>
#include <QString>

#include <sqlite3.h>

#include <gtest/gtest.h>

// Another connection to a store file that keeps it locked while it lives, as a second process
// in the middle of a long write would. `exclusive` also keeps readers out (and so a fresh open);
// otherwise only writers wait.
class StoreLockHolder {
public:
    StoreLockHolder(const QString& path, bool exclusive) {
        EXPECT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db_), SQLITE_OK);
        if (exclusive) {
            exec("PRAGMA locking_mode=EXCLUSIVE");
        }
        exec("BEGIN EXCLUSIVE");
        exec(
            "INSERT INTO defaults (key, type, value) VALUES ('holder', 'string', 'was here') "
            "ON CONFLICT (key) DO UPDATE SET value = excluded.value");
    }
    ~StoreLockHolder() {
        exec("COMMIT");
        sqlite3_close(db_);
    }
    StoreLockHolder(const StoreLockHolder&) = delete;
    StoreLockHolder& operator=(const StoreLockHolder&) = delete;

private:
    void exec(const char* sql) {
        char* message = nullptr;
        EXPECT_EQ(sqlite3_exec(db_, sql, nullptr, nullptr, &message), SQLITE_OK)
            << sql << ": " << (message ? message : "");
        sqlite3_free(message);
    }

    sqlite3* db_ = nullptr;
};
