#pragma once

#include "platform/GlobalHotkeyBackend.h"
#include "platform/wayland/CommandHotkeyBackend.h"
#include "platform/wayland/GnomeBindingConflicts.h"
#include "platform/wayland/GnomeSettings.h"
#include "services/hotkey/KeyRepeatGesture.h"

#include <QObject>
#include <QString>

#include <optional>

// The hotkey on GNOME without a GlobalShortcuts portal (before GNOME 48): Quillo's own custom
// keyboard shortcut runs "quillo-hotkey-press SOCKET", which reaches the running instance and comes
// here as trigger(). GNOME runs it on the press and on every key repeat, never on the release,
// so the press and release come from the repeats (KeyRepeatGesture), following GNOME's own
// repeat settings. A binding that another GNOME action holds is refused before it is written:
// GNOME would drop it without a word.
class GnomeShortcutHotkeyBackend final : public QObject, public GlobalHotkeyBackend {
    Q_OBJECT
public:
    // The keys are held by another binding (Carbon's "hotkey exists" code).
    static constexpr int hotKeyExistsError = -9878;
    static constexpr char keyboardSchema[] = "org.gnome.desktop.peripherals.keyboard";

    // `command` is what the shortcut runs.
    GnomeShortcutHotkeyBackend(Scheduler& scheduler, const QString& command,
                               QObject* parent = nullptr);
    ~GnomeShortcutHotkeyBackend() override;

    Outcome installHandler(Handler handler) override;
    Outcome registerHotkey(quint32 keyCode, quint32 carbonModifiers, HotkeyId id) override;
    bool canBindLoneModifiers() const override { return false; }
    std::chrono::milliseconds holdRecognisedAfter() const override;

    // The GNOME binding that held the keys at the last registration; none when it went through.
    std::optional<GnomeBindingConflicts::Conflict> conflict() const { return conflict_; }
    // Takes the keys of the last refused registration from the GNOME binding that holds them,
    // on the user's request; the hotkey must then be registered again. False when that binding
    // is another program's custom shortcut or could not be changed.
    bool freeConflictingKeys();
    // False where GNOME's key repeat is off: a held key is then one press, and only the double
    // press (hands-free) records.
    bool holdWorks() const { return gesture_.repeat().enabled; }
    QString command() const { return command_; }

signals:
    void holdWorksChanged(bool works);
    // A registration was refused for a conflict, or went through after one.
    void conflictChanged();

public slots:
    // One run of the shortcut's command.
    void trigger();

private:
    void readRepeat();

    QString command_;
    CommandHotkeyBackend keys_;
    KeyRepeatGesture gesture_;
    GnomeSettings keyboard_;
    std::optional<GnomeBindingConflicts::Conflict> conflict_;
    QString conflictingAccelerator_;
};
