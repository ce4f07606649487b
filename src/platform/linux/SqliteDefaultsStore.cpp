#include "platform/linux/SqliteDefaultsStore.h"

#include "platform/Log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char schema[] =
    "CREATE TABLE IF NOT EXISTS defaults ("
    " key TEXT PRIMARY KEY NOT NULL,"
    " type TEXT NOT NULL CHECK (type IN ('string', 'bool', 'int', 'data')),"
    " value BLOB)";

bool exec(sqlite3* db, const char* sql, QString* failure) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) {
        return true;
    }
    if (failure) {
        *failure = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
    }
    sqlite3_free(message);
    return false;
}

QString quickCheck(sqlite3* db) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &stmt, nullptr) != SQLITE_OK) {
        return QString::fromUtf8(sqlite3_errmsg(db));
    }
    QString result;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    } else {
        result = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(stmt);
    return result;
}

// The folder and the file hold API keys: only the user may read them.
void makePrivate(const QString& path) {
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    QDir().mkpath(QFileInfo(path).absolutePath());
    ::chmod(dir.constData(), 0700);
    const QByteArray file = QFile::encodeName(path);
    const int fd = ::open(file.constData(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::fchmod(fd, 0600);
        ::close(fd);
    }
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

SqliteDefaultsStore::SqliteDefaultsStore(const QString& path) : path_(path) {
    if (open()) {
        return;
    }
    // Nowhere to keep them: the application still runs, with preferences for this session only.
    Log::line(QStringLiteral("[Quillo] Could not open the preferences store at %1; "
                             "preferences are kept in memory until Quillo quits")
                  .arg(path_));
    path_ = QStringLiteral(":memory:");
    open();
}

SqliteDefaultsStore::~SqliteDefaultsStore() { close(); }

bool SqliteDefaultsStore::open() {
    QString failure;
    if (openFile(&failure)) {
        return true;
    }
    close();
    if (path_ == QLatin1String(":memory:") || !QFileInfo::exists(path_) ||
        QFileInfo(path_).size() == 0) {
        return false;
    }
    moveAside(failure);
    return openFile(&failure);
}

bool SqliteDefaultsStore::openFile(QString* failure) {
    const bool inMemory = path_ == QLatin1String(":memory:");
    if (!inMemory) {
        makePrivate(path_);
    }
    const QByteArray name = inMemory ? QByteArray(":memory:") : QFile::encodeName(path_);
    if (sqlite3_open_v2(name.constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        *failure = QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : "out of memory");
        return false;
    }
    sqlite3_busy_timeout(db_, 5000);
    if (!exec(db_, "PRAGMA journal_mode=WAL", failure) ||
        !exec(db_, "PRAGMA synchronous=FULL", failure)) {
        return false;
    }
    if (const QString check = quickCheck(db_); check != QLatin1String("ok")) {
        *failure = check;
        return false;
    }
    if (!exec(db_, schema, failure)) {
        return false;
    }
    select_ = prepare("SELECT type, value FROM defaults WHERE key = ?1");
    upsert_ = prepare(
        "INSERT INTO defaults (key, type, value) VALUES (?1, ?2, ?3) "
        "ON CONFLICT (key) DO UPDATE SET type = excluded.type, value = excluded.value");
    delete_ = prepare("DELETE FROM defaults WHERE key = ?1");
    listKeys_ = prepare("SELECT key FROM defaults ORDER BY key");
    if (!select_ || !upsert_ || !delete_ || !listKeys_) {
        *failure = QString::fromUtf8(sqlite3_errmsg(db_));
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
        target = path_ + QStringLiteral(".damaged-") + stamp + QLatin1Char('-') + QString::number(n);
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

void SqliteDefaultsStore::setValue(const QString& key, const Value& value) {
    if (!upsert_) {
        return;
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
    if (sqlite3_step(upsert_) != SQLITE_DONE) {
        reportFailure("write");
    }
    sqlite3_reset(upsert_);
    sqlite3_clear_bindings(upsert_);
}

void SqliteDefaultsStore::remove(const QString& key) {
    if (!delete_) {
        return;
    }
    sqlite3_reset(delete_);
    bindText(delete_, 1, key);
    if (sqlite3_step(delete_) != SQLITE_DONE) {
        reportFailure("remove");
    }
    sqlite3_reset(delete_);
    sqlite3_clear_bindings(delete_);
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
