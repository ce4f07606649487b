#pragma once

#include "models/RecordingStateValue.h"

#include <QColor>
#include <QIcon>
#include <QString>

// The tray icon's picture for a dictation state: "mic.fill" in the accent colour while
// recording, "ellipsis.circle" in orange while processing, "mic" in the label colour otherwise.
class MenuBarIcon {
public:
    MenuBarIcon() = delete;

    static QString symbolName(RecordingStateValue state);
    // `labelColor` is the colour of ordinary text in the tray, which depends on the panel.
    static QColor color(RecordingStateValue state, const QColor& labelColor);
    static QIcon icon(RecordingStateValue state, const QColor& labelColor);
};
