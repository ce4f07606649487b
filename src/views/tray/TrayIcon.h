#pragma once

#include "models/RecordingStateValue.h"

#include <QObject>
#include <QString>

#include <memory>

class AppState;
class QMenu;
class QSystemTrayIcon;

// The icon in the system tray: "mic" at rest, "mic.fill" in the accent colour while recording,
// "ellipsis.circle" in orange while processing. Without a tray Quillo runs on: the hotkey works.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    TrayIcon(AppState& state, QMenu* menu, QObject* parent = nullptr);
    ~TrayIcon() override;

    bool isShown() const;
    QSystemTrayIcon* trayIcon() const { return tray_.get(); }

private:
    void update(RecordingStateValue state);

    AppState& state_;
    std::unique_ptr<QSystemTrayIcon> tray_;
};
