#include "support/FakePasteboard.h"

std::optional<Pasteboard::Contents> FakePasteboard::contents() const {
    if (!readable) {
        return std::nullopt;
    }
    return current;
}

QString FakePasteboard::text() const {
    for (const Format& format : current) {
        if (format.first == QLatin1String("text/plain")) {
            return QString::fromUtf8(format.second);
        }
    }
    return {};
}

void FakePasteboard::clear() {
    current.clear();
}

void FakePasteboard::writeText(const QString& text) {
    ++writes;
    current = {{QStringLiteral("text/plain"), text.toUtf8()},
               {QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret")}};
}

void FakePasteboard::writeContents(const Contents& contents) {
    ++writes;
    current = contents;
}
