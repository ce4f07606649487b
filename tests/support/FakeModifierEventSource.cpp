#include "support/FakeModifierEventSource.h"

ScopedRegistration FakeModifierEventSource::subscribe(Handler handler) {
    if (refuseSubscriptions) return {};
    const quint64 token = nextToken_++;
    subscribers_.append({token, std::move(handler)});
    return ScopedRegistration([this, token] {
        subscribers_.removeIf([token](const auto& entry) { return entry.first == token; });
    });
}

void FakeModifierEventSource::send(int keyCode, quint64 flags) {
    const auto subscribers = subscribers_;
    for (const auto& [token, handler] : subscribers) handler({keyCode, flags});
}
