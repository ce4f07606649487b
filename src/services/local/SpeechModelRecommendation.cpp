#include "services/local/SpeechModelRecommendation.h"

QList<SpeechModelRecommendation::Advice> SpeechModelRecommendation::forMachine(
    const QString& interfaceLanguage, bool graphicsCard) {
    const bool english = interfaceLanguage.startsWith(QLatin1String("en"));
    if (!graphicsCard)
        return {{english ? QStringLiteral("base.en") : QStringLiteral("base"), 0}};
    // large-v3-turbo: 1.1 s for 11 s of speech on a laptop's integrated Radeon; small has about
    // a seventh of its encoder's work and answers in about half that.
    return {{QStringLiteral("large-v3-turbo-q5_0"), 1.0},
            {english ? QStringLiteral("small.en") : QStringLiteral("small"), 0.5}};
}
