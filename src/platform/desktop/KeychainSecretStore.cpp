#include "platform/desktop/KeychainSecretStore.h"

#include "base/Log.h"

#include <QDBusConnectionInterface>
#include <QPointer>

#include <qcoro/qcorosignal.h>
#include <qt6keychain/keychain.h>

#include <memory>

namespace {

const QStringList keyringServices{QStringLiteral("org.freedesktop.secrets"),
                                  QStringLiteral("org.kde.kwalletd6"),
                                  QStringLiteral("org.kde.kwalletd5")};

struct JobDeleter {
    void operator()(QKeychain::Job* job) const { job->deleteLater(); }
};
using JobPointer = std::unique_ptr<QKeychain::Job, JobDeleter>;

template <typename JobType>
JobPointer newJob(const QString& name) {
    auto* job = new JobType(QLatin1String(KeychainSecretStore::serviceName));
    job->setAutoDelete(false);
    // Never a plain file next to the keyring: without one, the preferences store keeps the key.
    job->setInsecureFallback(false);
    job->setKey(name);
    return JobPointer(job);
}

}  // namespace

KeychainSecretStore::KeychainSecretStore(const QDBusConnection& bus) {
    if (!busOffersKeyring(bus)) {
        status_ = Status::unavailable;
        Log::line(
            QStringLiteral("[Quillo] No keyring on this desktop; keys stay in the "
                           "preferences file"));
    }
}

bool KeychainSecretStore::busOffersKeyring(const QDBusConnection& bus) {
    QDBusConnectionInterface* interface = bus.isConnected() ? bus.interface() : nullptr;
    if (!interface)
        return false;
    const QStringList activatable = interface->activatableServiceNames();
    for (const QString& service : keyringServices) {
        if (interface->isServiceRegistered(service) || activatable.contains(service))
            return true;
    }
    return false;
}

QCoro::Task<SecretStore::Result> KeychainSecretStore::finish(QKeychain::Job* job) {
    bool finished = false;
    const QMetaObject::Connection seen =
        QObject::connect(job, &QKeychain::Job::finished, job, [&finished] { finished = true; });
    job->start();
    // Some backends answer within start().
    if (!finished)
        co_await qCoro(job, &QKeychain::Job::finished);
    QObject::disconnect(seen);
    switch (job->error()) {
        case QKeychain::NoError:
            status_ = Status::available;
            co_return Result::done;
        case QKeychain::EntryNotFound:
            status_ = Status::available;
            co_return Result::notFound;
        case QKeychain::NoBackendAvailable:
        case QKeychain::NotImplemented:
            status_ = Status::unavailable;
            co_return Result::unavailable;
        case QKeychain::AccessDeniedByUser:
        case QKeychain::AccessDenied:
        case QKeychain::CouldNotDeleteEntry:
        case QKeychain::OtherError:
            break;
    }
    // The backend's words name the entry at most, never its value.
    Log::line(
        QStringLiteral("[Quillo] The keyring refused %1: %2").arg(job->key(), job->errorString()));
    status_ = Status::locked;
    co_return Result::refused;
}

QCoro::Task<SecretStore::ReadResult> KeychainSecretStore::read(QString name) {
    if (status_ == Status::unavailable)
        co_return ReadResult{Result::unavailable, {}};
    JobPointer job = newJob<QKeychain::ReadPasswordJob>(name);
    const Result result = co_await finish(job.get());
    QString value;
    if (result == Result::done)
        value = static_cast<QKeychain::ReadPasswordJob*>(job.get())->textData();
    co_return ReadResult{result, value};
}

QCoro::Task<SecretStore::Result> KeychainSecretStore::write(QString name, QString value) {
    if (status_ == Status::unavailable)
        co_return Result::unavailable;
    JobPointer job = newJob<QKeychain::WritePasswordJob>(name);
    static_cast<QKeychain::WritePasswordJob*>(job.get())->setTextData(value);
    co_return co_await finish(job.get());
}

QCoro::Task<SecretStore::Result> KeychainSecretStore::remove(QString name) {
    if (status_ == Status::unavailable)
        co_return Result::unavailable;
    JobPointer job = newJob<QKeychain::DeletePasswordJob>(name);
    const Result result = co_await finish(job.get());
    co_return result == Result::notFound ? Result::done : result;
}
