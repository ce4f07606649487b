#pragma once

#include <QString>

#include <array>
#include <optional>

// The language-model provider that formats the transcript; stored as its raw value under
// "llm_provider".
class LLMProvider {
public:
    enum Case : quint8 { openai, anthropic };

    constexpr LLMProvider(Case c) : case_(c) {}  // NOLINT: implicit on purpose, like an enum

    static const std::array<LLMProvider, 2>& allCases();
    // Exactly "openai" or "anthropic", case-sensitively.
    static std::optional<LLMProvider> fromRawValue(const QString& rawValue);
    // The stored setting as the pipeline reads it: openai when it names neither provider.
    static LLMProvider fromSetting(const QString& rawValue);

    constexpr Case value() const { return case_; }
    QString rawValue() const;

    friend constexpr bool operator==(LLMProvider a, LLMProvider b) { return a.case_ == b.case_; }

private:
    Case case_;
};

inline size_t qHash(LLMProvider provider, size_t seed = 0) noexcept {
    return static_cast<size_t>(provider.value()) ^ seed;
}
