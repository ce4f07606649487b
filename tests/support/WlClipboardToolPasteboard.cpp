#include "support/WlClipboardToolPasteboard.h"

#include <QProcess>

#include <csignal>

#include <unistd.h>

WlClipboardToolPasteboard::WlClipboardToolPasteboard() = default;

WlClipboardToolPasteboard::~WlClipboardToolPasteboard() {
    stopOffering();
}

void WlClipboardToolPasteboard::stopOffering() {
    if (!copy_)
        return;
    if (copy_->state() != QProcess::NotRunning) {
        ::kill(-pid_t(copy_->processId()), SIGTERM);
        copy_->waitForFinished(2000);
    }
    copy_.reset();
}

QString WlClipboardToolPasteboard::text() const {
    QProcess paste;
    paste.start(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")});
    paste.waitForFinished(3000);
    return QString::fromUtf8(paste.readAllStandardOutput());
}

void WlClipboardToolPasteboard::clear() {
    stopOffering();
    QProcess::execute(QStringLiteral("wl-copy"), {QStringLiteral("--clear")});
}

void WlClipboardToolPasteboard::writeText(const QString& text) {
    stopOffering();
    copy_ = std::make_unique<QProcess>();
    // wl-copy's offer outlives a write: its own group, ended on the next write.
    copy_->setChildProcessModifier([] { ::setpgid(0, 0); });
    copy_->setStandardOutputFile(QProcess::nullDevice());
    copy_->start(QStringLiteral("wl-copy"), {QStringLiteral("--foreground"), text});
    copy_->waitForStarted(3000);
}

void WlClipboardToolPasteboard::writeContents(const Contents& contents) {
    for (const Format& format : contents) {
        if (format.first.startsWith(QLatin1String("text/plain"))) {
            writeText(QString::fromUtf8(format.second));
            return;
        }
    }
}
