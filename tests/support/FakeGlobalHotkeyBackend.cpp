#include "support/FakeGlobalHotkeyBackend.h"

GlobalHotkeyBackend::Outcome FakeGlobalHotkeyBackend::installHandler(Handler handler) {
    if (nextInstallStatus != noError) return {nextInstallStatus, {}};
    ++installCount_;
    const quint64 token = nextToken_++;
    handlers_.append({token, std::move(handler)});
    return {noError, ScopedRegistration([this, token] {
                handlers_.removeIf([token](const auto& entry) { return entry.first == token; });
            })};
}

GlobalHotkeyBackend::Outcome FakeGlobalHotkeyBackend::registerHotkey(quint32 keyCode, quint32 carbonModifiers,
                                                                      HotkeyId id) {
    registerCalls_.append({keyCode, carbonModifiers, id});
    if (nextRegisterStatus != noError) return {nextRegisterStatus, {}};
    const quint64 token = nextToken_++;
    registrations_.append({token, {keyCode, carbonModifiers, id}});
    Outcome outcome{noError, ScopedRegistration([this, token] {
                        registrations_.removeIf([token](const auto& entry) { return entry.first == token; });
                    })};
    outcome.awaitingConfirmation = nextRegisterAwaitsConfirmation;
    return outcome;
}

bool FakeGlobalHotkeyBackend::deliver(const HotkeyEvent& event) {
    const auto handlers = handlers_;
    for (const auto& [token, handler] : handlers) {
        if (handler(event)) return true;
    }
    return false;
}

int FakeGlobalHotkeyBackend::handlerCount() const { return static_cast<int>(handlers_.size()); }

QList<FakeGlobalHotkeyBackend::Registration> FakeGlobalHotkeyBackend::registrations() const {
    QList<Registration> result;
    for (const auto& entry : registrations_) result.append(entry.second);
    return result;
}
