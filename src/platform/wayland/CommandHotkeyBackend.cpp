#include "platform/wayland/CommandHotkeyBackend.h"

#include <QPointer>

CommandHotkeyBackend::CommandHotkeyBackend(Scheduler& scheduler, QObject* parent)
    : QObject(parent), scheduler_(scheduler) {}

GlobalHotkeyBackend::Outcome CommandHotkeyBackend::installHandler(Handler handler) {
    const quint64 token = nextToken_++;
    handlers_.append({token, std::move(handler)});
    QPointer<CommandHotkeyBackend> self(this);
    return {noError, ScopedRegistration([self, token] {
                if (self) {
                    self->handlers_.removeIf(
                        [token](const auto& entry) { return entry.first == token; });
                }
            })};
}

GlobalHotkeyBackend::Outcome CommandHotkeyBackend::registerHotkey(quint32 keyCode,
                                                                  quint32 carbonModifiers,
                                                                  HotkeyId id) {
    const quint64 token = nextToken_++;
    registration_ = {token, id};
    combination_ = {keyCode, carbonModifiers};
    down_ = false;
    QPointer<CommandHotkeyBackend> self(this);
    return {noError, ScopedRegistration([self, token] {
                if (self && self->registration_ && self->registration_->first == token) {
                    self->registration_.reset();
                    self->down_ = false;
                    self->overtakingRelease_.cancel();
                }
            })};
}

std::optional<CommandHotkeyBackend::Combination> CommandHotkeyBackend::registeredCombination()
    const {
    if (!registration_)
        return std::nullopt;
    return combination_;
}

void CommandHotkeyBackend::press() {
    if (!registration_ || down_)
        return;
    if (overtakingRelease_.isSet()) {
        overtakingRelease_.cancel();
        deliver(HotkeyEventKind::pressed);
        deliver(HotkeyEventKind::released);
        return;
    }
    down_ = true;
    deliver(HotkeyEventKind::pressed);
}

void CommandHotkeyBackend::release() {
    if (!registration_)
        return;
    if (down_) {
        down_ = false;
        deliver(HotkeyEventKind::released);
        return;
    }
    QPointer<CommandHotkeyBackend> self(this);
    overtakingRelease_ = scheduler_.scheduleOnce(kOvertakingReleaseWindow, [self] {
        if (self)
            self->overtakingRelease_.release();
    });
}

void CommandHotkeyBackend::deliver(HotkeyEventKind kind) {
    if (!registration_)
        return;
    const HotkeyEvent event{registration_->second, kind};
    const auto handlers = handlers_;
    for (const auto& [token, handler] : handlers) {
        if (handler(event))
            return;
    }
}
