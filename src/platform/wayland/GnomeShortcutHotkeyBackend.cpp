#include "platform/wayland/GnomeShortcutHotkeyBackend.h"

#include "base/Log.h"
#include "platform/wayland/GnomeAccelerator.h"
#include "platform/wayland/GnomeCustomShortcut.h"

#include <QPointer>

#include <memory>

GnomeShortcutHotkeyBackend::GnomeShortcutHotkeyBackend(Scheduler& scheduler, const QString& command,
                                                       QObject* parent)
    : QObject(parent),
      command_(command),
      keys_(scheduler),
      gesture_(
          scheduler, [this] { keys_.press(); }, [this] { keys_.release(); }),
      keyboard_(QLatin1String(keyboardSchema)) {
    readRepeat();
    keyboard_.onChanged([this](const QString&) { readRepeat(); });
}

GnomeShortcutHotkeyBackend::~GnomeShortcutHotkeyBackend() = default;

void GnomeShortcutHotkeyBackend::readRepeat() {
    KeyRepeatGesture::Repeat repeat;  // GNOME's defaults where its schema is missing
    if (keyboard_.isValid()) {
        repeat.enabled = keyboard_.boolean(QStringLiteral("repeat"));
        repeat.delay = KeyRepeatGesture::Duration(keyboard_.unsignedInt(QStringLiteral("delay")));
        repeat.interval =
            KeyRepeatGesture::Duration(keyboard_.unsignedInt(QStringLiteral("repeat-interval")));
    }
    const bool changed = !(repeat == gesture_.repeat());
    const bool worked = holdWorks();
    gesture_.setRepeat(repeat);
    if (changed) {
        Log::line(
            repeat.enabled
                ? QStringLiteral("[Quillo] GNOME key repeat: delay %1 ms, interval %2 ms; a "
                                 "hold ends when the repeats stop")
                      .arg(repeat.delay.count())
                      .arg(repeat.interval.count())
                : QStringLiteral("[Quillo] GNOME key repeat is off: a held hotkey cannot be "
                                 "told from a tap, only a double press (hands-free) records"));
    }
    if (worked != holdWorks())
        emit holdWorksChanged(holdWorks());
}

GlobalHotkeyBackend::Outcome GnomeShortcutHotkeyBackend::installHandler(Handler handler) {
    return keys_.installHandler(std::move(handler));
}

GlobalHotkeyBackend::Outcome GnomeShortcutHotkeyBackend::registerHotkey(quint32 keyCode,
                                                                        quint32 carbonModifiers,
                                                                        HotkeyId id) {
    const bool hadConflict = conflict_.has_value();
    conflict_.reset();
    conflictingAccelerator_.clear();
    const QString accelerator = GnomeAccelerator::fromHotkey(keyCode, carbonModifiers);
    if (accelerator.isEmpty()) {
        if (hadConflict)
            emit conflictChanged();
        return {paramError, {}};
    }
    conflict_ = GnomeBindingConflicts::find(accelerator, GnomeCustomShortcut::entryPath());
    if (conflict_) {
        conflictingAccelerator_ = accelerator;
        Log::line(QStringLiteral("[Quillo] %1 is GNOME's \"%2\" already (%3): choose another "
                                 "hotkey or free those keys in GNOME")
                      .arg(accelerator, conflict_->action, conflict_->schema));
        emit conflictChanged();
        return {hotKeyExistsError, {}};
    }
    if (hadConflict)
        emit conflictChanged();
    if (!GnomeCustomShortcut::write(accelerator, command_)) {
        Log::line(
            QStringLiteral("[Quillo] GNOME's custom keyboard shortcuts could not be written"));
        return {notConnected, {}};
    }
    gesture_.reset();
    auto keys = std::make_shared<ScopedRegistration>(
        keys_.registerHotkey(keyCode, carbonModifiers, id).registration);
    QPointer<GnomeShortcutHotkeyBackend> self(this);
    return {noError, ScopedRegistration([self, keys] {
                keys->reset();
                if (self)
                    self->gesture_.reset();
                GnomeCustomShortcut::remove();
            })};
}

bool GnomeShortcutHotkeyBackend::freeConflictingKeys() {
    if (!conflict_ || !GnomeBindingConflicts::free(*conflict_, conflictingAccelerator_))
        return false;
    Log::line(QStringLiteral("[Quillo] Freed %1 from GNOME's \"%2\" (%3), as asked in the settings")
                  .arg(conflictingAccelerator_, conflict_->action, conflict_->schema));
    return true;
}

std::chrono::milliseconds GnomeShortcutHotkeyBackend::holdRecognisedAfter() const {
    return gesture_.holdRecognisedAfter();
}

void GnomeShortcutHotkeyBackend::trigger() {
    gesture_.trigger();
}
