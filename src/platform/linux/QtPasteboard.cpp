#include "platform/linux/QtPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

QtPasteboard::QtPasteboard() : clipboard_(QGuiApplication::clipboard()) {}

bool QtPasteboard::isProtocolTarget(const QString& format) {
    return format == QLatin1String("TARGETS") || format == QLatin1String("MULTIPLE") ||
           format == QLatin1String("TIMESTAMP") || format == QLatin1String("SAVE_TARGETS");
}

std::optional<Pasteboard::Contents> QtPasteboard::contents() const {
    const QMimeData* mime = clipboard_->mimeData(QClipboard::Clipboard);
    if (mime == nullptr) {
        return std::nullopt;
    }
    Contents contents;
    const QStringList formats = mime->formats();
    for (const QString& format : formats) {
        if (isProtocolTarget(format)) {
            continue;
        }
        QByteArray bytes = mime->data(format);
        if (!bytes.isEmpty()) {
            contents.append({format, std::move(bytes)});
        }
    }
    return contents;
}

QString QtPasteboard::text() const {
    return clipboard_->text(QClipboard::Clipboard);
}

void QtPasteboard::clear() {
    clipboard_->clear(QClipboard::Clipboard);
}

void QtPasteboard::writeText(const QString& text) {
    auto* mime = new QMimeData;
    mime->setText(text);
    // Honoured by KDE's and other clipboard managers: keeps every dictation out of their history.
    mime->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    clipboard_->setMimeData(mime, QClipboard::Clipboard);
}

void QtPasteboard::writeContents(const Contents& contents) {
    auto* mime = new QMimeData;
    for (const Format& format : contents) {
        mime->setData(format.first, format.second);
    }
    clipboard_->setMimeData(mime, QClipboard::Clipboard);
}
