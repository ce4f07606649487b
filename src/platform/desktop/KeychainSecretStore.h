#pragma once

#include "platform/SecretStore.h"

#include <QDBusConnection>
#include <QString>

namespace QKeychain {
class Job;
}

// The desktop's keyring through QtKeychain: the Secret Service (GNOME and most desktops) or
// KWallet (KDE). Secrets are kept under the service name "Quillo". A session bus that offers
// neither service counts as no keyring at once, without waiting for a backend to time out.
class KeychainSecretStore final : public SecretStore {
public:
    static constexpr char serviceName[] = "Quillo";

    explicit KeychainSecretStore(const QDBusConnection& bus = QDBusConnection::sessionBus());

    Status status() const override { return status_; }
    QCoro::Task<ReadResult> read(QString name) override;
    QCoro::Task<Result> write(QString name, QString value) override;
    QCoro::Task<Result> remove(QString name) override;

private:
    // Whether the session bus has, or can start, a keyring service.
    static bool busOffersKeyring(const QDBusConnection& bus);
    // Runs `job` to its end and turns its error into a result (and the status).
    QCoro::Task<Result> finish(QKeychain::Job* job);

    Status status_ = Status::available;
};
