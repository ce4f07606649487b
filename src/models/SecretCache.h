#pragma once

#include "platform/SecretStore.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

class DefaultsStore;

// The secrets Quillo keeps (API keys, the remote-desktop restore token), held in memory so that
// reading one never waits on the keyring. `load()` fills the cache once at start-up and moves a
// secret it finds in the preferences store into the keyring. A secret the keyring could not take
// stays in the preferences store and is read from there, as before. Main thread only.
class SecretCache : public QObject {
    Q_OBJECT
public:
    enum class Location {
        keyring,
        // No keyring on this desktop: the preferences file (mode 0600).
        preferencesNoKeyring,
        // A keyring is there but refused: the preferences file.
        preferencesKeyringRefused,
    };

    SecretCache(DefaultsStore& preferences, SecretStore& keyring, QStringList names,
                QObject* parent = nullptr);

    // Reads every secret once, moving those still in the preferences store. A keyring that
    // refuses (locked, the user declined to unlock it) is not asked again until the next start.
    QCoro::Task<void> load();
    bool isLoaded() const { return loaded_; }

    // The secret under `name`; empty when none. Never waits.
    QString value(const QString& name) const;
    // Known at once to `value()`; the keyring is written in the background, and the preferences
    // store takes the value when the keyring cannot.
    void setValue(const QString& name, const QString& value);

    Location location() const;

signals:
    void loaded();
    // Where the secrets are kept may have changed.
    void locationChanged();

private:
    QCoro::Task<void> moveToKeyring(QString name, QString value);
    QCoro::Task<void> readFromKeyring(QString name);
    QCoro::Task<void> writeToKeyring(QString name, QString value);
    bool keyringAnswers() const;
    void keepInPreferences(const QString& name, const QString& value);

    DefaultsStore& preferences_;
    SecretStore& keyring_;
    QStringList names_;
    QHash<QString, QString> inKeyring_;
    bool loaded_ = false;
    // A write is under way for the name; the newest value wins over what the store holds.
    QHash<QString, int> pendingWrites_;
};
