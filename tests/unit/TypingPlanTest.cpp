#include "platform/TypingPlan.h"
#include "platform/wayland/LayoutKeysyms.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon.h>

using Way = TypingPlan::Way;
using ::testing::ElementsAre;

namespace {

// The portal types by keysym: a character has a key when the layout holds its keysym.
std::function<bool(char32_t)> keysOf(const LayoutKeysyms& layout) {
    return [&layout](char32_t c) { return layout.contains(xkb_utf32_to_keysym(c)); };
}

}  // namespace

// The characters mutter would drop on a US layout go through Ctrl+Shift+U; the rest as keys,
// in the text's order, emoji (a surrogate pair) as one character.
TEST(TypingPlan, OnAUsLayoutWhatHasNoKeyIsEnteredByCodePoint) {
    const LayoutKeysyms us = LayoutKeysyms::of(QStringLiteral("us"));
    ASSERT_TRUE(us.isValid()) << "xkb data missing";
    const TypingPlan plan =
        TypingPlan::make(QStringLiteral("Grüße, café — 日本 🙂"), keysOf(us));
    QString keys;
    QList<char32_t> entered;
    for (const TypingPlan::Step& step : plan.steps) {
        if (step.way == Way::Key)
            keys += QString::fromStdU32String(std::u32string(1, step.character));
        else
            entered.append(step.character);
    }
    EXPECT_EQ(keys, QStringLiteral("Gre, caf   "));
    EXPECT_THAT(entered, ElementsAre(U'ü', U'ß', U'é', U'—', U'日', U'本', U'🙂'));
    EXPECT_EQ(plan.untypeable, QString());
    EXPECT_EQ(TypingPlan::entryDigits(U'🙂'), QStringLiteral("1f642"));
    EXPECT_EQ(TypingPlan::entryDigits(U'ü'), QStringLiteral("fc"));
}

// A German layout types its umlauts itself: no entry for them.
TEST(TypingPlan, ALayoutWithTheCharacterTypesItAsAKey) {
    const LayoutKeysyms de = LayoutKeysyms::of(QStringLiteral("de"), QStringLiteral("nodeadkeys"));
    const TypingPlan plan = TypingPlan::make(QStringLiteral("üß"), keysOf(de));
    EXPECT_THAT(plan.steps,
                ElementsAre(TypingPlan::Step{U'ü', Way::Key}, TypingPlan::Step{U'ß', Way::Key}));
    EXPECT_EQ(LayoutKeysyms::splitSourceId(QStringLiteral("de+nodeadkeys")),
              std::pair(QStringLiteral("de"), QStringLiteral("nodeadkeys")));
    EXPECT_EQ(LayoutKeysyms::splitSourceId(QStringLiteral("us")),
              std::pair(QStringLiteral("us"), QString()));
}

// Where the entry's own keys are missing (a Cyrillic layout has no "u" nor "a" to "f"), the
// characters are named, each once; those whose digits the layout has still go by entry.
TEST(TypingPlan, WithoutTheEntrysKeysTheCharactersAreNamedNotDropped) {
    const LayoutKeysyms ru = LayoutKeysyms::of(QStringLiteral("ru"));
    const TypingPlan plan = TypingPlan::make(QStringLiteral("да ü ü"), keysOf(ru));
    EXPECT_THAT(plan.steps,
                ElementsAre(TypingPlan::Step{U'д', Way::Key}, TypingPlan::Step{U'а', Way::Key},
                            TypingPlan::Step{U' ', Way::Key}, TypingPlan::Step{U' ', Way::Key}));
    EXPECT_EQ(plan.untypeable, QStringLiteral("ü"));
}

// Without an input method that reads Ctrl+Shift+U a Qt field would receive the hex digits:
// what has no key is named instead, and the rest still goes as keys.
TEST(TypingPlan, WithoutUnicodeEntryWhatHasNoKeyIsNamedAndNothingElseIsTyped) {
    const LayoutKeysyms us = LayoutKeysyms::of(QStringLiteral("us"));
    ASSERT_TRUE(us.isValid()) << "xkb data missing";
    const TypingPlan plan =
        TypingPlan::make(QStringLiteral("café über"), keysOf(us), /*unicodeEntry=*/false);
    for (const TypingPlan::Step& step : plan.steps)
        EXPECT_EQ(step.way, Way::Key);
    EXPECT_EQ(plan.steps.size(), 7);  // "caf", " ", "ber"
    EXPECT_EQ(plan.untypeable, QStringLiteral("éü"));
}
