#include "support/FakeSecretStore.h"

FakeSecretStore::FakeSecretStore(Behaviour behaviour) : behaviour_(behaviour) {
    if (behaviour == Behaviour::missing)
        status_ = Status::unavailable;
}

void FakeSecretStore::setBehaviour(Behaviour behaviour) {
    behaviour_ = behaviour;
    status_ = behaviour == Behaviour::missing ? Status::unavailable : Status::available;
}

std::optional<SecretStore::Result> FakeSecretStore::refusal() {
    switch (behaviour_) {
        case Behaviour::missing:
            status_ = Status::unavailable;
            return Result::unavailable;
        case Behaviour::refuses:
            status_ = Status::locked;
            return Result::refused;
        case Behaviour::answers:
        case Behaviour::corruptsWrites:
            break;
    }
    return std::nullopt;
}

QCoro::Task<SecretStore::ReadResult> FakeSecretStore::read(QString name) {
    requests << QStringLiteral("read ") + name;
    if (const auto refused = refusal())
        co_return ReadResult{*refused, {}};
    if (!values.contains(name))
        co_return ReadResult{Result::notFound, {}};
    co_return ReadResult{Result::done, values.value(name)};
}

QCoro::Task<SecretStore::Result> FakeSecretStore::write(QString name, QString value) {
    requests << QStringLiteral("write ") + name;
    if (const auto refused = refusal())
        co_return *refused;
    values.insert(name, behaviour_ == Behaviour::corruptsWrites ? value.left(3) : value);
    co_return Result::done;
}

QCoro::Task<SecretStore::Result> FakeSecretStore::remove(QString name) {
    requests << QStringLiteral("remove ") + name;
    if (const auto refused = refusal())
        co_return *refused;
    values.remove(name);
    co_return Result::done;
}
