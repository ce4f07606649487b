#include "platform/TypingFilter.h"

namespace {

bool isDroppedControl(QChar c) {
    const char16_t unit = c.unicode();
    return (unit < 0x20 && unit != u'\n' && unit != u'\t') || unit == 0x7f;
}

}  // namespace

QString TypingFilter::typable(const QString& text) {
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (!isDroppedControl(c)) {
            kept.append(c);
        }
    }
    while (kept.endsWith(QLatin1Char('\n'))) {
        kept.chop(1);
    }
    return kept;
}
