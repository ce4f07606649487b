#pragma once

#include "models/DictationEntry.h"

#include <QList>
#include <QPair>
#include <QWidget>

class AppSettings;
class QHBoxLayout;
class QLabel;
class SpeechEngineSummary;
class SpeechModelDownloader;
class QVBoxLayout;

// The Home section: a guide to the current hotkey and the recent dictations, grouped by day.
class HomeSettingsContent : public QWidget {
    Q_OBJECT
public:
    using DayGroup = QPair<QString, QList<DictationEntry>>;

    // `downloader`, when given, lets the engine line show a model download.
    explicit HomeSettingsContent(AppSettings& settings, SpeechModelDownloader* downloader = nullptr,
                                 QWidget* parent = nullptr);

    // The one line about speech to text, as the tray shows it.
    QLabel* engineLine() const { return engineText_; }

    // The newest 30 entries in runs of the same day (a day's date text in the locale's full
    // style), in order; a day that comes back after another day starts a new group.
    static QList<DayGroup> groupedDictations(const QList<DictationEntry>& newestFirst);

private:
    void rebuildGuideCaps();
    void rebuildHistory();
    void refreshEngineLine();

    AppSettings& settings_;
    QHBoxLayout* guideCaps_;
    QVBoxLayout* history_;
    SpeechEngineSummary* engineSummary_;
    QLabel* engineSymbol_;
    QLabel* engineText_;
};
