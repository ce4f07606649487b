#include "dictation/TranscriptReplacements.h"

TranscriptReplacements::TranscriptReplacements(const QList<Replacement>& replacements) {
    for (const Replacement& r : replacements) {
        const QString heard = r.heard.trimmed();
        if (heard.isEmpty())
            continue;
        // Word boundaries by look-around rather than \b, so that a phrase starting or ending
        // with a non-word character ("c++") still matches as a whole.
        QRegularExpression pattern(QStringLiteral("(?<![\\w])") +
                                       QRegularExpression::escape(heard) +
                                       QStringLiteral("(?![\\w])"),
                                   QRegularExpression::CaseInsensitiveOption |
                                       QRegularExpression::UseUnicodePropertiesOption);
        rules_.append({std::move(pattern), r.written});
    }
}

QString TranscriptReplacements::apply(QString transcript) const {
    for (const Rule& rule : rules_) {
        // The written text is inserted literally: no back-references.
        QString result;
        qsizetype last = 0;
        auto matches = rule.pattern.globalMatch(transcript);
        while (matches.hasNext()) {
            const auto match = matches.next();
            result += QStringView(transcript).mid(last, match.capturedStart() - last);
            result += rule.written;
            last = match.capturedEnd();
        }
        result += QStringView(transcript).mid(last);
        transcript = std::move(result);
    }
    return transcript;
}
