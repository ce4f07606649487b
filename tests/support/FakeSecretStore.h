#pragma once

#include "platform/SecretStore.h"

#include <QMap>
#include <QStringList>

// A keyring in memory that answers at once. It can be missing, refuse every request (as a
// locked keyring whose user declines), or give back something else than what was written.
class FakeSecretStore final : public SecretStore {
public:
    enum class Behaviour { answers, missing, refuses, corruptsWrites };

    explicit FakeSecretStore(Behaviour behaviour = Behaviour::answers);

    Status status() const override { return status_; }
    QCoro::Task<ReadResult> read(QString name) override;
    QCoro::Task<Result> write(QString name, QString value) override;
    QCoro::Task<Result> remove(QString name) override;

    void setBehaviour(Behaviour behaviour);
    QMap<QString, QString> values;
    // Every request in order, as "read NAME", "write NAME", "remove NAME".
    QStringList requests;

private:
    // The answer to a request, or none when the keyring goes on to do it.
    std::optional<Result> refusal();

    Behaviour behaviour_;
    Status status_ = Status::available;
};
