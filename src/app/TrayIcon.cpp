#include "app/TrayIcon.h"

#include "models/AppState.h"
#include "platform/Log.h"
#include "theme/QuilloTheme.h"

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QSvgRenderer>
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

QString TrayIcon::symbolName(RecordingStateValue state) {
    if (isRecording(state)) {
        return QStringLiteral("mic.fill");
    }
    if (state == RecordingStateValue::processing) {
        return QStringLiteral("ellipsis.circle");
    }
    return QStringLiteral("mic");
}

QColor TrayIcon::symbolColor(RecordingStateValue state, const QColor& labelColor) {
    if (isRecording(state)) {
        return QuilloTheme::accent();
    }
    if (state == RecordingStateValue::processing) {
        return QColor(255, 149, 0);  // the desktop's orange
    }
    return labelColor;
}

QIcon TrayIcon::symbolIcon(const QString& name, const QColor& color) {
    QFile file(QStringLiteral(":/icons/%1.svg").arg(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QByteArray svg = file.readAll();
    svg.replace("#000000", color.name(QColor::HexRgb).toLatin1());
    QSvgRenderer renderer(svg);
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void TrayIcon::update(RecordingStateValue state) {
    const QColor label = QApplication::palette().color(QPalette::WindowText);
    tray_->setIcon(symbolIcon(symbolName(state), symbolColor(state, label)));
}
