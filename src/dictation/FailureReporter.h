#pragma once

#include <QObject>
#include <QString>

#include <qcoro/qcorotask.h>

#include <exception>

class DictationOverlay;
class Scheduler;

// Tells the user that a dictation failed: one log line with the whole story, and a short
// message on the overlay that stays for 4.5 s. A cancelled local transcription is no failure
// and shows nothing.
class FailureReporter : public QObject {
    Q_OBJECT
public:
    FailureReporter(DictationOverlay& overlay, Scheduler& scheduler, QObject* parent = nullptr);

    void report(const std::exception_ptr& error);
    // True for 4.5 s after an error was shown.
    bool overlayShowingError() const { return overlayShowingError_; }

    // The short message the overlay shows for a failed transcription or formatting call.
    static QString errorMessage(const std::exception_ptr& error);

signals:
    // The message just put on the overlay, for a window that shows it as well.
    void errorShown(const QString& message);

private:
    void showError(const QString& message);
    QCoro::Task<void> clearOverlayErrorLater();

    DictationOverlay& overlay_;
    Scheduler& scheduler_;
    bool overlayShowingError_ = false;
};
