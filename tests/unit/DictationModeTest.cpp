#include "models/AppSettings.h"
#include "models/DictationMode.h"
#include "support/InMemoryDefaultsStore.h"


#include <gtest/gtest.h>

TEST(DictationMode, CasesRawValuesAndConstruction) {
    QStringList raws;
    for (DictationMode mode : DictationMode::allCases()) {
        raws << mode.rawValue();
        EXPECT_EQ(DictationMode::fromRawValue(mode.rawValue()), mode);
        EXPECT_EQ(mode.id(), mode.rawValue());
        EXPECT_EQ(mode.skipsLLM(), mode == DictationMode::raw);
    }
    EXPECT_EQ(raws, (QStringList{"email", "chat", "code", "notes", "raw"}));
    for (const char* other : {"Email", "RAW", " chat", "", "note"}) {
        EXPECT_FALSE(DictationMode::fromRawValue(other).has_value()) << other;
    }
}

TEST(DictationMode, BuiltInPromptsKeepTheirUtf8Text) {
    for (DictationMode mode :
         {DictationMode::email, DictationMode::chat, DictationMode::code, DictationMode::notes}) {
        EXPECT_TRUE(mode.systemPrompt().startsWith("You are a minimal text cleaner"));
    }
    // "ähm" with U+00E4, the notes prompt's em dash with a space on each side.
    EXPECT_TRUE(DictationMode(DictationMode::email).systemPrompt().toUtf8().contains("\xC3\xA4hm"));
    EXPECT_TRUE(DictationMode(DictationMode::chat).systemPrompt().toUtf8().contains("halt, \xC3\xA4hm)"));
    EXPECT_TRUE(DictationMode(DictationMode::notes).systemPrompt().toUtf8().contains(
        "words \xE2\x80\x94 use their exact wording"));
    EXPECT_TRUE(DictationMode(DictationMode::email).systemPrompt().endsWith("nothing else."));
    EXPECT_TRUE(DictationMode(DictationMode::notes).systemPrompt().endsWith(
        "Output ONLY the bullet points, nothing else."));
    EXPECT_TRUE(DictationMode(DictationMode::raw).systemPrompt().isEmpty());
}

TEST(CustomPrompts, StoredUntrimmedRemovedWhenBlank) {
    InMemoryDefaultsStore store;
    AppSettings settings(store);

    settings.setCustomPrompt("  Be brief.  ", DictationMode::email);
    EXPECT_EQ(store.string("custom_prompt_email"), "  Be brief.  ");
    EXPECT_EQ(settings.customPrompt(DictationMode::email), "  Be brief.  ");
    EXPECT_EQ(settings.effectivePrompt(DictationMode::email), "  Be brief.  ");

    settings.setCustomPrompt(" \n  ", DictationMode::email);
    EXPECT_FALSE(store.contains("custom_prompt_email"));
    EXPECT_EQ(settings.effectivePrompt(DictationMode::email),
              DictationMode(DictationMode::email).systemPrompt());

    EXPECT_EQ(settings.effectivePrompt(DictationMode::raw), "");
    settings.setCustomPrompt("Keep it raw", DictationMode::raw);
    EXPECT_EQ(store.string("custom_prompt_raw"), "Keep it raw");
    EXPECT_EQ(settings.customPrompt(DictationMode::chat), "");
}
