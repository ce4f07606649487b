#pragma once

#include "platform/LoginItemService.h"

// A login item kept in memory; registration can be made to fail.
class FakeLoginItemService final : public LoginItemService {
public:
    bool registerItem(QString* error = nullptr) override;
    bool unregisterItem(QString* error = nullptr) override;
    Status status() const override { return status_; }

    void setStatus(Status status) { status_ = status; }
    void setFailing(bool failing) { failing_ = failing; }
    int registerCalls = 0;
    int unregisterCalls = 0;

private:
    Status status_ = Status::notRegistered;
    bool failing_ = false;
};
