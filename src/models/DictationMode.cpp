#include "models/DictationMode.h"

#include <QtGlobal>

const std::array<DictationMode, 5>& DictationMode::allCases() {
    static const std::array<DictationMode, 5> cases{email, chat, code, notes, raw};
    return cases;
}

std::optional<DictationMode> DictationMode::fromRawValue(const QString& rawValue) {
    for (DictationMode mode : allCases()) {
        if (mode.rawValue() == rawValue) {
            return mode;
        }
    }
    return std::nullopt;
}

QString DictationMode::rawValue() const {
    switch (case_) {
        case email:
            return QStringLiteral("email");
        case chat:
            return QStringLiteral("chat");
        case code:
            return QStringLiteral("code");
        case notes:
            return QStringLiteral("notes");
        case raw:
            return QStringLiteral("raw");
    }
    return {};
}

QString DictationMode::displayName() const {
    switch (case_) {
        case email:
            //% "E-Mail"
            return qtTrId("mode.email");
        case chat:
            //% "Chat"
            return qtTrId("mode.chat");
        case code:
            //% "Code"
            return qtTrId("mode.code");
        case notes:
            //% "Notes"
            return qtTrId("mode.notes");
        case raw:
            //% "Raw"
            return qtTrId("mode.raw");
    }
    return {};
}

QString DictationMode::systemPrompt() const {
    switch (case_) {
        case email:
            return QStringLiteral(u"You are a minimal text cleaner. The user dictated the following text. Add proper punctuation, fix capitalization, and remove filler words (um, uh, like, you know, also, halt, ähm). Add a greeting and sign-off only if missing. Do NOT rephrase, rewrite, or change the user's words. Keep the exact wording and sentence structure. Respond in the same language the user spoke. Always end the output with a trailing space after the last character. Output ONLY the cleaned text, nothing else.");
        case chat:
            return QStringLiteral(u"You are a minimal text cleaner. The user dictated the following text. Add punctuation and fix capitalization only. Remove filler words (um, uh, like, you know, also, halt, ähm). Do NOT rephrase, shorten, or change the user's words in any way. Keep the exact wording. Respond in the same language the user spoke. Always end the output with a trailing space after the last character. Output ONLY the cleaned text, nothing else.");
        case code:
            return QStringLiteral(u"You are a minimal text cleaner for developers. The user dictated text. Add punctuation and fix capitalization. Remove filler words. Preserve ALL technical terms, function names, variable names, and code vocabulary exactly as spoken. Do NOT rephrase or rewrite. Respond in the same language the user spoke. Always end the output with a trailing space after the last character. Output ONLY the cleaned text, nothing else.");
        case notes:
            return QStringLiteral(u"You are a minimal text cleaner. The user dictated the following text. Format as bullet points. Add punctuation and fix capitalization. Remove filler words. Do NOT rephrase or change the user's words — use their exact wording for each bullet point. Group related ideas. Respond in the same language the user spoke. Output ONLY the bullet points, nothing else.");
        case raw:
            return {};
    }
    return {};
}
