#include "dictation/TranscriptReplacements.h"
#include "views/settings/sections/VocabularyCards.h"

#include <gtest/gtest.h>

namespace {

QString replaced(const QList<Replacement>& rules, const QString& text) {
    return TranscriptReplacements(rules).apply(text);
}

TEST(TranscriptReplacementsTest, WholeWordsOnlyWhateverTheirCase) {
    const QList<Replacement> rules{{"cube control", "kubectl"}, {"quill o", "Quillo"}};
    EXPECT_EQ(replaced(rules, "Run Cube Control get pods, then CUBE CONTROL logs."),
              "Run kubectl get pods, then kubectl logs.");
    EXPECT_EQ(replaced(rules, "Quill O is here"), "Quillo is here");
    EXPECT_EQ(replaced({{"cat", "dog"}}, "concatenate the cat, Cat and cats"),
              "concatenate the dog, dog and cats");
    // Umlauts are word characters.
    EXPECT_EQ(replaced({{"gross", "groß"}}, "großartig, gross"), "großartig, groß");
    EXPECT_EQ(replaced({{"ä", "ae"}}, "Bär ä"), "Bär ae");
}

TEST(TranscriptReplacementsTest, WrittenTextIsLiteralAndPairsApplyInOrder) {
    EXPECT_EQ(replaced({{"dollar", "$1 \\0"}}, "one dollar"), "one $1 \\0");
    EXPECT_EQ(replaced({{"a b", "x"}, {"x", "y"}}, "a b"), "y");
    EXPECT_EQ(replaced({{"c++", "C++"}}, "I write c++ daily"), "I write C++ daily");
}

TEST(TranscriptReplacementsTest, EmptyHeardIsIgnored) {
    const TranscriptReplacements none({{"  ", "x"}, {"", "y"}});
    EXPECT_TRUE(none.isEmpty());
    EXPECT_EQ(none.apply(" text "), " text ");
}

TEST(VocabularyCardsTest, EditorLinesBecomeListsAndBack) {
    EXPECT_EQ(VocabularyCards::wordsFrom(" Quillo \n\n Dr. Okonkwo\n"),
              QStringList({"Quillo", "Dr. Okonkwo"}));
    const QList<Replacement> parsed = VocabularyCards::replacementsFrom(
        "cube control → kubectl\nno arrow here\n-> nothing\nab->cd");
    EXPECT_EQ(parsed, (QList<Replacement>{{"cube control", "kubectl"}, {"ab", "cd"}}));
    EXPECT_EQ(VocabularyCards::textOf(parsed), "cube control → kubectl\nab → cd");
}

}  // namespace
