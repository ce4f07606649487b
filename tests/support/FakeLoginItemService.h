#pragma once

#include "platform/LoginItemService.h"

#include <functional>

// Registers in memory; can be told to refuse. `onRegister` lets a test look around at the
// moment of the call.
class FakeLoginItemService final : public LoginItemService {
public:
    bool registerItem(QString* error = nullptr) override {
        ++registerCount;
        if (onRegister) {
            onRegister();
        }
        if (refuse) {
            if (error) {
                *error = QStringLiteral("refused by the test");
            }
            return false;
        }
        currentStatus = Status::enabled;
        return true;
    }
    bool unregisterItem(QString* error = nullptr) override {
        ++unregisterCount;
        if (refuse) {
            if (error) {
                *error = QStringLiteral("refused by the test");
            }
            return false;
        }
        currentStatus = Status::notRegistered;
        return true;
    }
    Status status() const override { return currentStatus; }

    Status currentStatus = Status::notRegistered;
    bool refuse = false;
    int registerCount = 0;
    int unregisterCount = 0;
    std::function<void()> onRegister;
};
