#include "support/FakeLoginItemService.h"

bool FakeLoginItemService::registerItem(QString* error) {
    ++registerCalls;
    if (failing_) {
        if (error) *error = QStringLiteral("refused");
        return false;
    }
    status_ = Status::enabled;
    return true;
}

bool FakeLoginItemService::unregisterItem(QString* error) {
    ++unregisterCalls;
    if (failing_) {
        if (error) *error = QStringLiteral("refused");
        return false;
    }
    status_ = Status::notRegistered;
    return true;
}
