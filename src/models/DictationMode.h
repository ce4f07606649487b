#pragma once

#include <QString>

#include <array>
#include <optional>

// How the recognised text is cleaned up before it is pasted.
class DictationMode {
public:
    enum Case : quint8 { email, chat, code, notes, raw };

    constexpr DictationMode(Case c) : case_(c) {}  // NOLINT: implicit on purpose, like an enum

    static const std::array<DictationMode, 5>& allCases();
    // Exactly the five raw values, case-sensitively.
    static std::optional<DictationMode> fromRawValue(const QString& rawValue);

    constexpr Case value() const { return case_; }
    QString rawValue() const;
    QString id() const { return rawValue(); }
    QString displayName() const;
    // The built-in prompt; empty for raw.
    QString systemPrompt() const;
    bool skipsLLM() const { return case_ == raw; }

    friend constexpr bool operator==(DictationMode a, DictationMode b) {
        return a.case_ == b.case_;
    }

private:
    Case case_;
};
