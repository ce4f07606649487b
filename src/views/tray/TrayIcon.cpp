#include "views/tray/TrayIcon.h"

#include "base/Log.h"
#include "models/AppState.h"
#include "views/tray/MenuBarIcon.h"

#include <QApplication>
#include <QMenu>
#include <QPalette>
#include <QSystemTrayIcon>

TrayIcon::TrayIcon(AppState& state, QMenu* menu, QObject* parent)
    : QObject(parent), state_(state) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        Log::line(QStringLiteral(
            "[Quillo] No system tray available; the hotkey still works without the tray icon"));
    }
    tray_ = std::make_unique<QSystemTrayIcon>();
    tray_->setToolTip(QStringLiteral("Quillo"));
    tray_->setContextMenu(menu);
    // A left click opens the same menu, as a menu bar item would.
    connect(tray_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger && tray_->contextMenu()) {
                    tray_->contextMenu()->popup(QCursor::pos());
                }
            });
    connect(&state_, &AppState::recordingStateChanged, this, &TrayIcon::update);
    update(state_.recordingState());
    tray_->show();
}

TrayIcon::~TrayIcon() = default;

bool TrayIcon::isShown() const { return tray_ && tray_->isVisible(); }

void TrayIcon::update(RecordingStateValue state) {
    const QColor label = QApplication::palette().color(QPalette::WindowText);
    tray_->setIcon(MenuBarIcon::icon(state, label));
}
