#pragma once

#include "views/widgets/HotkeyField.h"

#include <QWidget>

class AppSettings;
class QHBoxLayout;
class QLabel;

// The General section: the push-to-talk hotkey with its recorder, the hands-free gesture,
// and which keys can serve as a hotkey.
class GeneralSettingsContent : public QWidget {
    Q_OBJECT
public:
    GeneralSettingsContent(AppSettings& settings, HotkeyField::ChangedCallback onHotkeyChanged,
                           QWidget* parent = nullptr);

    HotkeyField* hotkeyField() const { return field_; }
    // Offered after a change that only a new start applies; nothing asks for one today.
    QWidget* restartCard() const { return restartCard_; }

private:
    void rebuildHandsFreeCaps();
    QWidget* buildHotkeyCard();
    QWidget* buildShortcutInfoCard();
    QWidget* buildRestartCard();
    // What this session cannot do, and the compositor bindings it needs; none in X11 sessions.
    QWidget* buildSessionCard();
    // GNOME 48 and later: the portal or Quillo's own custom shortcut, the user's choice.
    QWidget* buildGnomeRouteChoice();
    void refreshBindingLines();

    AppSettings& settings_;
    HotkeyField::ChangedCallback onHotkeyChanged_;
    HotkeyField* field_ = nullptr;
    QHBoxLayout* handsFreeCaps_ = nullptr;
    QWidget* restartCard_ = nullptr;
    QLabel* bindingLines_ = nullptr;
};
