#pragma once

#include <qcoro/qcorotask.h>
#include <QString>

// The desktop's keyring: secrets by name, read and written without blocking the main thread.
// A keyring may be missing altogether, or locked with the user declining to unlock it.
class SecretStore {
public:
    enum class Status {
        available,
        // No keyring on this desktop (a minimal window manager, a headless session).
        unavailable,
        // The keyring refused: locked, or the user declined to unlock it.
        locked,
    };

    enum class Result { done, notFound, unavailable, refused };

    struct ReadResult {
        Result result = Result::notFound;
        QString value;
    };

    virtual ~SecretStore() = default;

    // What the last answer showed; `available` until the keyring says otherwise.
    virtual Status status() const = 0;
    virtual QCoro::Task<ReadResult> read(QString name) = 0;
    virtual QCoro::Task<Result> write(QString name, QString value) = 0;
    virtual QCoro::Task<Result> remove(QString name) = 0;
};
