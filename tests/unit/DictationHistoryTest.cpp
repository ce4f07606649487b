#include "models/AppSettings.h"
#include "models/DictationHistory.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

DictationEntry entry(const QString& text, double timestamp, const QString& mode = "email") {
    return {text, timestamp, DictationEntry::countWords(text), mode};
}

class DictationHistoryTest : public ::testing::Test {
protected:
    InMemoryDefaultsStore store;
    AppSettings settings{store};
};

}  // namespace

TEST_F(DictationHistoryTest, HandWrittenDocumentRoundTripsWithTheRightJsonTypes) {
    const QByteArray document =
        R"([{"text":"Hallo Welt","timestamp":786123456.789012,"wordCount":2,"mode":"chat","extra":1},)"
        R"({"mode":"raw","wordCount":1,"timestamp":786000000,"text":"older"}])";
    store.setData("dictation_history", document);

    const auto entries = settings.recentDictations();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].text, "Hallo Welt");
    EXPECT_DOUBLE_EQ(entries[0].timestamp, 786123456.789012);
    EXPECT_EQ(entries[0].date().toUTC().date(), QDate(2025, 11, 29));
    EXPECT_EQ(entries[1].mode, "raw");

    settings.addDictation(entry("new one", 786200000.5, "notes"));
    const QByteArray stored = *store.data("dictation_history");
    EXPECT_FALSE(stored.contains('\n')) << "compact";
    EXPECT_TRUE(stored.startsWith(R"([{")"));
    const QJsonArray array = QJsonDocument::fromJson(stored).array();
    ASSERT_EQ(array.size(), 3);
    for (const QJsonValue& v : array) {
        const QJsonObject o = v.toObject();
        EXPECT_EQ(o.keys(), (QStringList{"mode", "text", "timestamp", "wordCount"}));
        EXPECT_TRUE(o["text"].isString());
        EXPECT_TRUE(o["timestamp"].isDouble());
        EXPECT_TRUE(o["mode"].isString());
    }
    EXPECT_TRUE(stored.contains(R"("wordCount":2)")) << "an integer, not 2.0";
    EXPECT_TRUE(stored.contains("786123456.789012")) << "the stored timestamp is kept exactly";
    EXPECT_TRUE(stored.contains("786200000.5"));
}

TEST_F(DictationHistoryTest, SortsNewestFirstStablyAndKeepsFifty) {
    // Equal timestamps keep their stored order; an entry from a clock set back sorts by time.
    settings.addDictation(entry("a", 100));
    settings.addDictation(entry("b", 200));
    settings.addDictation(entry("c", 200));
    settings.addDictation(entry("set back", 50));
    QStringList texts;
    for (const auto& e : settings.recentDictations()) texts << e.text;
    EXPECT_EQ(texts, (QStringList{"c", "b", "a", "set back"}));
    const auto stored = DictationHistory::decode(*store.data("dictation_history"));
    EXPECT_EQ(stored->first().text, "set back") << "added at the front of the stored document";

    store.remove("dictation_history");
    for (int i = 1; i <= 50; ++i) settings.addDictation(entry(QString::number(i), i));
    settings.addDictation(entry("51", 51));
    const auto entries = settings.recentDictations();
    ASSERT_EQ(entries.size(), 50);
    EXPECT_EQ(entries.first().text, "51");
    EXPECT_EQ(entries.last().text, "2") << "the oldest entry is dropped";
}

TEST_F(DictationHistoryTest, OneBadElementReadsAsEmptyButItsBytesAreKeptBeforeOverwriting) {
    const QByteArray bad =
        R"([{"text":"good","timestamp":1,"wordCount":1,"mode":"email"},{"text":"no count","timestamp":2,"mode":"email"}])";
    store.setData("dictation_history", bad);
    EXPECT_TRUE(settings.recentDictations().isEmpty());
    EXPECT_EQ(store.keys().size(), 1) << "reading writes nothing";

    LogCapture log;
    settings.addDictation(entry("fresh", 3));
    EXPECT_EQ(settings.recentDictations().size(), 1);
    QStringList backups;
    for (const QString& key : store.keys()) {
        if (key.startsWith("dictation_history_backup_")) backups << key;
    }
    ASSERT_EQ(backups.size(), 1);
    EXPECT_EQ(store.data(backups.first()), bad) << "the unreadable history survives byte for byte";
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().contains(backups.first()));

    settings.addDictation(entry("second", 4));
    EXPECT_EQ(log.lines().size(), 1) << "a readable history needs no backup";
}

TEST(DictationHistoryDecoding, RejectsWrongTypesAndNonArrays) {
    EXPECT_FALSE(DictationHistory::decode("not json"));
    EXPECT_FALSE(DictationHistory::decode(R"({"text":"x"})"));
    EXPECT_FALSE(DictationHistory::decode(R"([{"text":1,"timestamp":1,"wordCount":1,"mode":"e"}])"));
    EXPECT_FALSE(DictationHistory::decode(R"([{"text":"x","timestamp":"1","wordCount":1,"mode":"e"}])"));
    EXPECT_FALSE(DictationHistory::decode(R"([{"text":"x","timestamp":1,"wordCount":1.5,"mode":"e"}])"));
    EXPECT_FALSE(DictationHistory::decode(R"([null])"));
    EXPECT_TRUE(DictationHistory::decode("[]").value().isEmpty());
}

TEST(DictationEntryWords, OnlyTheSpaceCharacterSeparatesWords) {
    EXPECT_EQ(DictationEntry::countWords("two  words"), 2);
    EXPECT_EQ(DictationEntry::countWords("two\nwords"), 1);
    EXPECT_EQ(DictationEntry::countWords("one  two\nthree "), 2);
    EXPECT_EQ(DictationEntry::countWords("tab\tseparated"), 1);
    EXPECT_EQ(DictationEntry::countWords("   "), 0);
}
