#pragma once

#include <QString>

// Starting Quillo when the user logs in.
class LoginItemService {
public:
    enum class Status { notRegistered, enabled, requiresApproval, notFound };

    virtual ~LoginItemService() = default;
    // False with a reason in `error` when it could not be done.
    virtual bool registerItem(QString* error = nullptr) = 0;
    virtual bool unregisterItem(QString* error = nullptr) = 0;
    virtual Status status() const = 0;
};
