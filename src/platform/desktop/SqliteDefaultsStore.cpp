#include "platform/desktop/SqliteDefaultsStore.h"

#include "base/Log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char schema[] =
    "CREATE TABLE IF NOT EXISTS defaults ("
    " key TEXT PRIMARY KEY NOT NULL,"
    " type TEXT NOT NULL CHECK (type IN ('string', 'bool', 'int', 'data')),"
    " value BLOB)";

using OpenFailure = SqliteDefaultsStore::OpenFailure;

bool exec(sqlite3* db, const char* sql, OpenFailure* failure) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    if (rc == SQLITE_OK) {
        return true;
    }
    *failure = {rc, QString::fromUtf8(message ? message : sqlite3_errmsg(db))};
    sqlite3_free(message);
    return false;
}

// A file whose pages disagree with each other reads fine row by row but is damaged all the same.
bool quickCheck(sqlite3* db, OpenFailure* failure) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &stmt, nullptr) != SQLITE_OK) {
        *failure = {sqlite3_errcode(db), QString::fromUtf8(sqlite3_errmsg(db))};
        return false;
    }
    const int rc = sqlite3_step(stmt);
    bool ok = false;
    if (rc == SQLITE_ROW) {
        const QString result =
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        ok = result == QLatin1String("ok");
        if (!ok) {
            *failure = {SQLITE_CORRUPT, result};
        }
    } else {
        *failure = {sqlite3_errcode(db), QString::fromUtf8(sqlite3_errmsg(db))};
    }
    sqlite3_finalize(stmt);
    return ok;
}

// Each missing folder on the way is made the user's alone: QDir::mkpath would leave its mode to
// the umask, and under "umask 000" a new ~/.config came out writable by everyone.
bool makeFolders(const QString& folder, OpenFailure* failure) {
    const QStringList parts = QDir::cleanPath(folder).split(QLatin1Char('/'));
    QString prefix;
    for (const QString& part : parts) {
        prefix += part + QLatin1Char('/');
        if (part.isEmpty()) {
            continue;
        }
        const QByteArray name = QFile::encodeName(prefix);
        if (::mkdir(name.constData(), 0700) == 0) {
            if (::chmod(name.constData(), 0700) != 0) {
                *failure = {SQLITE_CANTOPEN, QStringLiteral("cannot make %1 private").arg(prefix)};
                return false;
            }
        } else if (errno != EEXIST) {
            *failure = {SQLITE_CANTOPEN, QStringLiteral("cannot create %1").arg(prefix)};
            return false;
        }
    }
    return true;
}

// The folder and the file hold API keys: only the user may read them. A file of another user's
// is neither trusted nor changed.
bool makePrivate(const QString& path, OpenFailure* failure) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!makeFolders(folder, failure)) {
        return false;
    }
    const QByteArray dir = QFile::encodeName(folder);
    struct stat st {};
    if (::stat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *failure = {SQLITE_CANTOPEN, QStringLiteral("%1 is not a folder").arg(folder)};
        return false;
    }
    if (st.st_uid == ::geteuid() && (st.st_mode & 0777) != 0700 &&
        ::chmod(dir.constData(), 0700) != 0) {
        *failure = {SQLITE_CANTOPEN, QStringLiteral("cannot make %1 private").arg(folder)};
        return false;
    }
    const QByteArray file = QFile::encodeName(path);
    const int fd = ::open(file.constData(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        return true;  // SQLite's own open tells why, and whether it can read it at least
    }
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok) {
        *failure = {SQLITE_CANTOPEN, QString::fromLocal8Bit(std::strerror(errno))};
    } else if (st.st_uid != ::geteuid()) {
        Log::line(QStringLiteral("[Quillo] The preferences store %1 belongs to another user "
                                 "(uid %2); Quillo leaves it alone")
                      .arg(path)
                      .arg(st.st_uid));
        *failure = {SQLITE_PERM, QStringLiteral("the file belongs to another user")};
        ok = false;
    } else if ((st.st_mode & 0777) != 0600 && ::fchmod(fd, 0600) != 0) {
        *failure = {SQLITE_PERM, QStringLiteral("cannot make the file private")};
        ok = false;
    }
    ::close(fd);
    return ok;
}

void bindText(sqlite3_stmt* stmt, int index, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    sqlite3_bind_text(stmt, index, bytes.constData(), static_cast<int>(bytes.size()),
                      SQLITE_TRANSIENT);
}

}  // namespace

QString SqliteDefaultsStore::defaultPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) {
        config = QDir::homePath() + QStringLiteral("/.config");
    }
    return config + QStringLiteral("/quillo/defaults.sqlite3");
}

SqliteDefaultsStore::SqliteDefaultsStore(const QString& path, std::chrono::milliseconds busyTimeout)
    : path_(path), busyTimeout_(busyTimeout) {
    OpenFailure failure;
    if (open(&failure)) {
        return;
    }
    openFailure_ = failure.message.isEmpty() ? QStringLiteral("unknown error") : failure.message;
    // Nowhere to keep them: the application still runs, with preferences for this session only.
    Log::line(QStringLiteral("[Quillo] Could not open the preferences store at %1; "
                             "preferences are kept in memory until Quillo quits")
                  .arg(path_));
    path_ = QStringLiteral(":memory:");
    open(&failure);
}

SqliteDefaultsStore::~SqliteDefaultsStore() {
    close();
}

bool SqliteDefaultsStore::isDamage(int sqliteCode) {
    const int primary = sqliteCode & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

bool SqliteDefaultsStore::open(OpenFailure* failure) {
    if (openFile(failure)) {
        return true;
    }
    close();
    // Only a file SQLite calls damaged is moved aside. One that is merely locked by another
    // process, read-only or not ours to read holds the user's preferences intact: leave it be.
    if (path_ == QLatin1String(":memory:") || !isDamage(failure->code) ||
        !QFileInfo::exists(path_) || QFileInfo(path_).size() == 0) {
        return false;
    }
    moveAside(failure->message);
    if (openFile(failure)) {
        return true;
    }
    close();
    return false;
}

bool SqliteDefaultsStore::openFile(OpenFailure* failure) {
    const bool inMemory = path_ == QLatin1String(":memory:");
    if (!inMemory && !makePrivate(path_, failure)) {
        return false;
    }
    const QByteArray name = inMemory ? QByteArray(":memory:") : QFile::encodeName(path_);
    const int rc = sqlite3_open_v2(name.constData(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        *failure = {rc, QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : "out of memory")};
        return false;
    }
    // SQLite falls back to reading a file it may not write; every later write would fail.
    if (sqlite3_db_readonly(db_, "main") == 1) {
        *failure = {SQLITE_READONLY, QStringLiteral("the file is read-only")};
        return false;
    }
    sqlite3_busy_timeout(db_, static_cast<int>(busyTimeout_.count()));
    if (!exec(db_, "PRAGMA journal_mode=WAL", failure) ||
        !exec(db_, "PRAGMA synchronous=FULL", failure)) {
        return false;
    }
    if (!quickCheck(db_, failure) || !exec(db_, schema, failure)) {
        return false;
    }
    select_ = prepare("SELECT type, value FROM defaults WHERE key = ?1");
    upsert_ = prepare(
        "INSERT INTO defaults (key, type, value) VALUES (?1, ?2, ?3) "
        "ON CONFLICT (key) DO UPDATE SET type = excluded.type, value = excluded.value");
    delete_ = prepare("DELETE FROM defaults WHERE key = ?1");
    listKeys_ = prepare("SELECT key FROM defaults ORDER BY key");
    if (!select_ || !upsert_ || !delete_ || !listKeys_) {
        *failure = {sqlite3_errcode(db_), QString::fromUtf8(sqlite3_errmsg(db_))};
        return false;
    }
    return true;
}

void SqliteDefaultsStore::close() {
    for (sqlite3_stmt** stmt : {&select_, &upsert_, &delete_, &listKeys_}) {
        sqlite3_finalize(*stmt);
        *stmt = nullptr;
    }
    if (db_) {
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
}

void SqliteDefaultsStore::moveAside(const QString& reason) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path_ + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n) {
        target =
            path_ + QStringLiteral(".damaged-") + stamp + QLatin1Char('-') + QString::number(n);
    }
    QFile::rename(path_, target);
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString companion = path_ + QLatin1String(suffix);
        if (QFileInfo::exists(companion)) {
            QFile::rename(companion, target + QLatin1String(suffix));
        }
    }
    movedAsidePath_ = target;
    Log::line(QStringLiteral("[Quillo] The preferences store %1 could not be read (%2); "
                             "moved it to %3 and started a fresh one")
                  .arg(path_, reason, target));
}

sqlite3_stmt* SqliteDefaultsStore::prepare(const char* sql) const {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
        return nullptr;
    }
    return stmt;
}

void SqliteDefaultsStore::reportFailure(const char* operation) const {
    Log::line(QStringLiteral("[Quillo] Preferences store %1 failed: %2")
                  .arg(QLatin1String(operation), QString::fromUtf8(sqlite3_errmsg(db_))));
}

std::optional<DefaultsStore::Value> SqliteDefaultsStore::value(const QString& key) const {
    if (!select_) {
        return std::nullopt;
    }
    sqlite3_reset(select_);
    bindText(select_, 1, key);
    std::optional<Value> result;
    const int rc = sqlite3_step(select_);
    if (rc == SQLITE_ROW) {
        const QByteArray type(reinterpret_cast<const char*>(sqlite3_column_text(select_, 0)));
        const auto* blob = static_cast<const char*>(sqlite3_column_blob(select_, 1));
        const int size = sqlite3_column_bytes(select_, 1);
        if (type == "string") {
            result = QString::fromUtf8(blob, size);
        } else if (type == "bool") {
            result = sqlite3_column_int64(select_, 1) != 0;
        } else if (type == "int") {
            result = static_cast<qint64>(sqlite3_column_int64(select_, 1));
        } else {
            result = QByteArray(blob, size);
        }
    } else if (rc != SQLITE_DONE) {
        reportFailure("read");
    }
    sqlite3_reset(select_);
    sqlite3_clear_bindings(select_);
    return result;
}

bool SqliteDefaultsStore::finishChange(sqlite3_stmt* stmt, const char* operation) {
    const bool done = sqlite3_step(stmt) == SQLITE_DONE;
    if (done) {
        lastError_.clear();
    } else {
        lastError_ = QString::fromUtf8(sqlite3_errmsg(db_));
        reportFailure(operation);
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    return done;
}

bool SqliteDefaultsStore::setValue(const QString& key, const Value& value) {
    if (!upsert_) {
        lastError_ = QStringLiteral("the preferences store is not open");
        return false;
    }
    sqlite3_reset(upsert_);
    bindText(upsert_, 1, key);
    if (const auto* s = std::get_if<QString>(&value)) {
        sqlite3_bind_text(upsert_, 2, "string", -1, SQLITE_STATIC);
        bindText(upsert_, 3, *s);
    } else if (const auto* b = std::get_if<bool>(&value)) {
        sqlite3_bind_text(upsert_, 2, "bool", -1, SQLITE_STATIC);
        sqlite3_bind_int64(upsert_, 3, *b ? 1 : 0);
    } else if (const auto* n = std::get_if<qint64>(&value)) {
        sqlite3_bind_text(upsert_, 2, "int", -1, SQLITE_STATIC);
        sqlite3_bind_int64(upsert_, 3, *n);
    } else {
        const QByteArray& bytes = std::get<QByteArray>(value);
        sqlite3_bind_text(upsert_, 2, "data", -1, SQLITE_STATIC);
        // A zero-length blob must still be a blob, not NULL.
        sqlite3_bind_blob(upsert_, 3, bytes.isEmpty() ? "" : bytes.constData(),
                          static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }
    return finishChange(upsert_, "write");
}

bool SqliteDefaultsStore::remove(const QString& key) {
    if (!delete_) {
        lastError_ = QStringLiteral("the preferences store is not open");
        return false;
    }
    sqlite3_reset(delete_);
    bindText(delete_, 1, key);
    return finishChange(delete_, "remove");
}

QStringList SqliteDefaultsStore::keys() const {
    QStringList result;
    if (!listKeys_) {
        return result;
    }
    sqlite3_reset(listKeys_);
    int rc;
    while ((rc = sqlite3_step(listKeys_)) == SQLITE_ROW) {
        result.append(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(listKeys_, 0))));
    }
    if (rc != SQLITE_DONE) {
        reportFailure("listing");
    }
    sqlite3_reset(listKeys_);
    return result;
}
