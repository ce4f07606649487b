#include "models/SecretCache.h"

#include "base/Log.h"
#include "platform/DefaultsStore.h"

#include <QPointer>

#include <utility>

SecretCache::SecretCache(DefaultsStore& preferences, SecretStore& keyring, QStringList names,
                         QObject* parent)
    : QObject(parent), preferences_(preferences), keyring_(keyring), names_(std::move(names)) {}

bool SecretCache::keyringAnswers() const {
    return keyring_.status() == SecretStore::Status::available;
}

QCoro::Task<void> SecretCache::load() {
    QPointer<SecretCache> self(this);
    const QStringList names = names_;
    for (const QString& name : names) {
        // One refusal is enough: a locked keyring asks the user once per start, not per key.
        if (!keyringAnswers())
            break;
        const QString stored = preferences_.string(name).value_or(QString());
        if (!stored.isEmpty())
            co_await moveToKeyring(name, stored);
        else
            co_await readFromKeyring(name);
        if (!self)
            co_return;
    }
    loaded_ = true;
    emit loaded();
    emit locationChanged();
}

// Written, read back, and only then removed from the preferences store: a key is never lost.
QCoro::Task<void> SecretCache::moveToKeyring(QString name, QString value) {
    QPointer<SecretCache> self(this);
    const SecretStore::Result written = co_await keyring_.write(name, value);
    if (!self)
        co_return;
    if (written != SecretStore::Result::done) {
        Log::line(QStringLiteral("[Quillo] Keeping %1 in the preferences file: the keyring did "
                                 "not take it")
                      .arg(name));
        co_return;
    }
    const SecretStore::ReadResult back = co_await keyring_.read(name);
    if (!self)
        co_return;
    if (back.result != SecretStore::Result::done || back.value != value) {
        Log::line(QStringLiteral("[Quillo] Keeping %1 in the preferences file: the keyring did "
                                 "not give it back unchanged")
                      .arg(name));
        co_return;
    }
    inKeyring_.insert(name, value);
    // Changed meanwhile (quillo-defaults): the newer value stays and moves at the next start.
    if (preferences_.string(name) != value)
        co_return;
    if (!preferences_.remove(name)) {
        Log::line(QStringLiteral("[Quillo] Could not remove %1 from the preferences file: %2")
                      .arg(name, preferences_.lastError()));
        co_return;
    }
    Log::line(
        QStringLiteral("[Quillo] Moved %1 from the preferences file to the keyring").arg(name));
}

QCoro::Task<void> SecretCache::readFromKeyring(QString name) {
    QPointer<SecretCache> self(this);
    const SecretStore::ReadResult read = co_await keyring_.read(name);
    if (self && read.result == SecretStore::Result::done)
        inKeyring_.insert(name, read.value);
}

QString SecretCache::value(const QString& name) const {
    if (pendingWrites_.value(name) > 0)
        return inKeyring_.value(name);
    if (const auto stored = preferences_.string(name))
        return *stored;
    return inKeyring_.value(name);
}

void SecretCache::setValue(const QString& name, const QString& value) {
    inKeyring_.insert(name, value);
    if (!keyringAnswers()) {
        keepInPreferences(name, value);
        return;
    }
    ++pendingWrites_[name];
    writeToKeyring(name, value);
}

QCoro::Task<void> SecretCache::writeToKeyring(QString name, QString value) {
    QPointer<SecretCache> self(this);
    SecretStore::Result result = SecretStore::Result::done;
    if (value.isEmpty())
        result = co_await keyring_.remove(name);
    else
        result = co_await keyring_.write(name, value);
    if (!self)
        co_return;
    // Writes finish in order; only the last one decides where the newest value lives.
    if (--pendingWrites_[name] > 0)
        co_return;
    pendingWrites_.remove(name);
    if (result == SecretStore::Result::done)
        preferences_.remove(name);
    else
        keepInPreferences(name, inKeyring_.value(name));
    emit locationChanged();
}

void SecretCache::keepInPreferences(const QString& name, const QString& value) {
    const bool kept =
        value.isEmpty() ? preferences_.remove(name) : preferences_.setString(name, value);
    if (!kept) {
        Log::line(QStringLiteral("[Quillo] Could not keep %1 in the preferences file: %2")
                      .arg(name, preferences_.lastError()));
    }
    emit locationChanged();
}

SecretCache::Location SecretCache::location() const {
    switch (keyring_.status()) {
        case SecretStore::Status::unavailable:
            return Location::preferencesNoKeyring;
        case SecretStore::Status::locked:
            return Location::preferencesKeyringRefused;
        case SecretStore::Status::available:
            break;
    }
    if (loaded_) {
        for (const QString& name : names_) {
            if (preferences_.contains(name))
                return Location::preferencesKeyringRefused;
        }
    }
    return Location::keyring;
}
