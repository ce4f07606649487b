#include "services/remote/LLMProvider.h"

const std::array<LLMProvider, 2>& LLMProvider::allCases() {
    static const std::array<LLMProvider, 2> cases{openai, anthropic};
    return cases;
}

std::optional<LLMProvider> LLMProvider::fromRawValue(const QString& rawValue) {
    for (LLMProvider provider : allCases()) {
        if (provider.rawValue() == rawValue) {
            return provider;
        }
    }
    return std::nullopt;
}

LLMProvider LLMProvider::fromSetting(const QString& rawValue) {
    return fromRawValue(rawValue).value_or(openai);
}

QString LLMProvider::rawValue() const {
    switch (case_) {
        case openai:
            return QStringLiteral("openai");
        case anthropic:
            return QStringLiteral("anthropic");
    }
    return {};
}
