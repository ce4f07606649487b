#include "platform/TypingPlan.h"

#include <QHash>

QString TypingPlan::entryDigits(char32_t character) {
    return QString::number(quint32(character), 16);
}

TypingPlan TypingPlan::make(const QString& text, const std::function<bool(char32_t)>& hasKey,
                            bool unicodeEntry) {
    // Asked once per character: the answer may come from a keymap lookup.
    QHash<char32_t, bool> known;
    const auto typable = [&](char32_t character) {
        const auto found = known.constFind(character);
        if (found != known.constEnd())
            return *found;
        return *known.insert(character, hasKey(character));
    };
    TypingPlan plan;
    for (const char32_t character : text.toStdU32String()) {
        if (typable(character)) {
            plan.steps.append({character, Way::Key});
            continue;
        }
        bool enterable = unicodeEntry && typable(U'u') && typable(U' ');
        for (const QChar digit : entryDigits(character))
            enterable = enterable && typable(digit.unicode());
        if (enterable) {
            plan.steps.append({character, Way::UnicodeEntry});
            continue;
        }
        const QString named = QString::fromStdU32String(std::u32string(1, character));
        if (!plan.untypeable.contains(named))
            plan.untypeable.append(named);
    }
    return plan;
}
