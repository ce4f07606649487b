#include "models/AppSettings.h"
#include "models/DictationMode.h"
#include "support/InMemoryDefaultsStore.h"
#include "views/Translations.h"

#include <gtest/gtest.h>

namespace {

class TranslationsTest : public ::testing::Test {
protected:
    void SetUp() override { InMemoryDefaultsStore::sharedForTests().clear(); }
    void TearDown() override { Translations::install(QStringLiteral("en")); }
};

TEST_F(TranslationsTest, StoredLanguageOrTheSystemsPicksTheCatalogueWithEnglishAsFallback) {
    const QLocale austrian(QLocale::German, QLocale::Austria);
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    EXPECT_EQ(Translations::resolve(QStringLiteral("system"), austrian), "de");
    EXPECT_EQ(Translations::resolve(QStringLiteral("system"), japanese), "en");
    EXPECT_EQ(Translations::resolve(QString(), austrian), "de");
    EXPECT_EQ(Translations::resolve(QStringLiteral("de"), japanese), "de");
    EXPECT_EQ(Translations::resolve(QStringLiteral("en"), austrian), "en");
    EXPECT_EQ(Translations::resolve(QStringLiteral("fr"), austrian), "en");  // no French yet
    EXPECT_EQ(Translations::resolve(QStringLiteral("xx"), austrian), "en");
}

TEST_F(TranslationsTest, GermanChosenInTheSettingsShowsGermanTextsAfterInstalling) {
    AppSettings& settings = AppSettings::shared();
    EXPECT_EQ(settings.appLanguage(), "system");
    settings.setAppLanguage(QStringLiteral("de"));
    ASSERT_EQ(Translations::install(settings.appLanguage()), "de");

    EXPECT_EQ(DictationMode(DictationMode::raw).displayName(), "Rohtext");

    // Falling back: a language without a catalogue gets the English texts, never the ids.
    settings.setAppLanguage(QStringLiteral("fr"));
    ASSERT_EQ(Translations::install(settings.appLanguage()), "en");
    EXPECT_EQ(DictationMode(DictationMode::raw).displayName(), "Raw");
    EXPECT_EQ(qtTrId("onboarding.next"), "Continue");
}

}  // namespace
