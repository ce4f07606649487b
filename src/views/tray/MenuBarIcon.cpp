#include "views/tray/MenuBarIcon.h"

#include "theme/QuilloTheme.h"
#include "views/widgets/SymbolImage.h"

namespace {
constexpr int traySize = 22;
}

QString MenuBarIcon::symbolName(RecordingStateValue state) {
    if (isRecording(state)) {
        return QStringLiteral("mic.fill");
    }
    if (state == RecordingStateValue::processing) {
        return QStringLiteral("ellipsis.circle");
    }
    return QStringLiteral("mic");
}

QColor MenuBarIcon::color(RecordingStateValue state, const QColor& labelColor) {
    if (isRecording(state)) {
        return QuilloTheme::accent();
    }
    if (state == RecordingStateValue::processing) {
        return QColor(255, 149, 0);  // the system orange
    }
    return labelColor;
}

QIcon MenuBarIcon::icon(RecordingStateValue state, const QColor& labelColor) {
    return SymbolImage::icon(symbolName(state), traySize, color(state, labelColor));
}
