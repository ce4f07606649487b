#include "SwaySession.h"

#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/WaylandConnection.h"

#include <QElapsedTimer>
#include <QSignalSpy>

#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include <unistd.h>

#include "support/PreviousWaylandClipboard.h"
#include "support/RequireEnvironment.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

namespace {

using Contents = Pasteboard::Contents;

QByteArray binaryImage() {
    // Larger than a pipe's buffer, and with every byte value, NUL included.
    QByteArray bytes;
    for (int i = 0; i < 200 * 1024; ++i)
        bytes.append(char(i % 256));
    return bytes;
}

Contents threeFormats() {
    return {{QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("Grüße").toUtf8()},
            {QStringLiteral("text/html"), QByteArrayLiteral("<b>bold</b>")},
            {QStringLiteral("image/png"), binaryImage()}};
}

Pasteboard::Saved saveWithin(DataControlPasteboard& pasteboard, std::chrono::milliseconds time) {
    return QCoro::waitFor(pasteboard.save(Pasteboard::Selection::Clipboard,
                                          {time, DataControlPasteboard::kSaveBudget.bytes}));
}

std::optional<Contents> save(DataControlPasteboard& pasteboard, std::chrono::milliseconds time) {
    return saveWithin(pasteboard, time).contents;
}

class DataControlPasteboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(RequireEnvironment::hasSway(),
                            "the headless sway of scripts/with-sway.sh");
        connection = std::make_unique<WaylandConnection>(SwaySession::socket());
        pasteboard = std::make_unique<DataControlPasteboard>(*connection);
        ASSERT_TRUE(pasteboard->isAvailable()) << "sway offers zwlr_data_control_manager_v1";
    }

    // Another process owning the clipboard with threeFormats(), saved whole by our pasteboard.
    void saveAnotherProcessesSelection() {
        owner = std::make_unique<PreviousWaylandClipboard>(SwaySession::clientEnvironment(),
                                                           threeFormats());
        ASSERT_TRUE(owner->isOwning());
        ASSERT_TRUE(waitUntil([&] { return pasteboard->text() == QStringLiteral("Grüße"); }));
        saved = save(*pasteboard, DataControlPasteboard::kSaveBudget.time);
        ASSERT_TRUE(saved.has_value());
    }

    // Waits until the selection the compositor announced has the formats.
    bool selectionHas(const QStringList& formats) {
        return waitUntil([&] {
            const auto types = SwaySession::wlPaste({QStringLiteral("--list-types")});
            return QString::fromUtf8(types.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts) ==
                   formats;
        });
    }

    std::unique_ptr<WaylandConnection> connection;
    std::unique_ptr<DataControlPasteboard> pasteboard;
    std::unique_ptr<PreviousWaylandClipboard> owner;
    std::optional<Contents> saved;
};

// A second client of our own holding the selection with a data-control source: its listener
// answers the requests for the formats it offers.
class OtherClientsSource {
public:
    OtherClientsSource(const zwlr_data_control_source_v1_listener& listener, void* data) {
        manager_ = static_cast<zwlr_data_control_manager_v1*>(
            connection_.bind(&zwlr_data_control_manager_v1_interface, 1));
        if (!manager_)
            return;
        device_ = zwlr_data_control_manager_v1_get_data_device(manager_, connection_.seat());
        source_ = zwlr_data_control_manager_v1_create_data_source(manager_);
        zwlr_data_control_source_v1_add_listener(source_, &listener, data);
    }
    ~OtherClientsSource() {
        if (!manager_)
            return;
        zwlr_data_control_source_v1_destroy(source_);
        zwlr_data_control_device_v1_destroy(device_);
        zwlr_data_control_manager_v1_destroy(manager_);
        connection_.flush();
    }
    bool isValid() const { return manager_ != nullptr; }
    void offer(const QString& format) {
        zwlr_data_control_source_v1_offer(source_, format.toUtf8().constData());
    }
    // Makes it the selection and serves its requests from the event loop.
    void select() {
        zwlr_data_control_device_v1_set_selection(device_, source_);
        connection_.roundtrip();
        connection_.watch();
    }
    WaylandConnection& connection() { return connection_; }

private:
    WaylandConnection connection_{SwaySession::socket()};
    zwlr_data_control_manager_v1* manager_ = nullptr;
    zwlr_data_control_device_v1* device_ = nullptr;
    zwlr_data_control_source_v1* source_ = nullptr;
};

}  // namespace

TEST_F(DataControlPasteboardTest, SavesEveryFormatOfAnotherProcessesSelectionWithItsBytes) {
    ASSERT_NO_FATAL_FAILURE(saveAnotherProcessesSelection());
    EXPECT_EQ(*saved, threeFormats());
    EXPECT_EQ(pasteboard->contents(), threeFormats()) << "the blocking read sees the same";
}

TEST_F(DataControlPasteboardTest, SavesWlCopysTextUnderEveryTypeItOffers) {
    {
        ChildProcess copy(QStringLiteral("wl-copy"),
                          {QStringLiteral("--foreground"), QStringLiteral("copied text")},
                          {.environment = SwaySession::clientEnvironment()});
        ASSERT_TRUE(waitUntil([&] { return pasteboard->text() == QStringLiteral("copied text"); }));
        saved = save(*pasteboard, DataControlPasteboard::kSaveBudget.time);
    }
    ASSERT_TRUE(saved.has_value());
    EXPECT_GE(saved->size(), 2);
    for (const auto& [type, bytes] : *saved)
        EXPECT_EQ(bytes, QByteArrayLiteral("copied text")) << type.toStdString();
}

TEST_F(DataControlPasteboardTest, OffersTextTellsWhenItIsFetchedAndRestoresEveryFormat) {
    ASSERT_NO_FATAL_FAILURE(saveAnotherProcessesSelection());

    QSignalSpy fetched(pasteboard.get(), &DataControlPasteboard::fetched);
    int fetches = 0;
    ASSERT_TRUE(pasteboard->offerText(Pasteboard::Selection::Clipboard,
                                      QStringLiteral("dictated text "), [&] { ++fetches; }));
    EXPECT_FALSE(pasteboard->offeredTextFetched());
    EXPECT_EQ(fetches, 0) << "never called from within offerText()";
    EXPECT_TRUE(pasteboard->stillOffers(Pasteboard::Selection::Clipboard));
    EXPECT_EQ(pasteboard->text(), QStringLiteral("dictated text ")) << "answered from memory";
    const auto pasted = SwaySession::wlPaste({QStringLiteral("--no-newline")});
    EXPECT_EQ(pasted.out, QByteArrayLiteral("dictated text "));
    EXPECT_EQ(fetched.count(), 1);
    EXPECT_TRUE(waitUntil([&] { return fetches >= 1; }));
    EXPECT_TRUE(pasteboard->offeredTextFetched());

    pasteboard->restore(Pasteboard::Selection::Clipboard, *saved);
    EXPECT_FALSE(pasteboard->stillOffers(Pasteboard::Selection::Clipboard));
    ASSERT_TRUE(selectionHas({QStringLiteral("text/plain;charset=utf-8"),
                              QStringLiteral("text/html"), QStringLiteral("image/png")}));
    for (const auto& [type, bytes] : threeFormats()) {
        const auto back =
            SwaySession::wlPaste({QStringLiteral("--no-newline"), QStringLiteral("--type"), type});
        EXPECT_EQ(back.out, bytes) << type.toStdString();
    }
    EXPECT_EQ(fetched.count(), 1) << "reading the restored contents is no fetch of the text";
}

TEST_F(DataControlPasteboardTest, AnotherClientsCopyEndsOurOffer) {
    ASSERT_TRUE(
        pasteboard->offerText(Pasteboard::Selection::Clipboard, QStringLiteral("ours"), {}));
    ASSERT_TRUE(pasteboard->stillOffers(Pasteboard::Selection::Clipboard));
    PreviousWaylandClipboard owner(SwaySession::clientEnvironment());
    ASSERT_TRUE(owner.isOwning());
    EXPECT_TRUE(
        waitUntil([&] { return !pasteboard->stillOffers(Pasteboard::Selection::Clipboard); }));
}

// The paste chord on Wayland is always Control+V: the primary selection is never needed, and
// asking for it changes nothing.
TEST_F(DataControlPasteboardTest, ThePrimarySelectionReadsAsAbsentAndCannotBeTaken) {
    const Pasteboard::Saved primary = QCoro::waitFor(
        pasteboard->save(Pasteboard::Selection::Primary, DataControlPasteboard::kSaveBudget));
    EXPECT_EQ(primary.contents, std::nullopt);
    EXPECT_FALSE(pasteboard->offerText(Pasteboard::Selection::Primary, QStringLiteral("x"), {}));
    EXPECT_FALSE(pasteboard->stillOffers(Pasteboard::Selection::Primary));
}

TEST_F(DataControlPasteboardTest, AnOwnerThatNeverAnswersCostsTheBudgetAndTheOtherFormatsAreKept) {
    // A second client of our own that answers text/plain and leaves image/png hanging.
    struct Held {
        QList<int> fds;
    } held;
    static const zwlr_data_control_source_v1_listener listener = {
        [](void* data, zwlr_data_control_source_v1*, const char* type, int32_t fd) {
            if (QByteArray(type) == "text/plain") {
                (void)::write(fd, "answered", 8);
                ::close(fd);
            } else {
                static_cast<Held*>(data)->fds.append(fd);
            }
        },
        [](void*, zwlr_data_control_source_v1*) {}};
    OtherClientsSource other(listener, &held);
    ASSERT_TRUE(other.isValid());
    other.offer(QStringLiteral("text/plain"));
    other.offer(QStringLiteral("image/png"));
    other.select();
    // Not through text(): its blocking read would wait for this very process.
    ASSERT_TRUE(selectionHas({QStringLiteral("text/plain"), QStringLiteral("image/png")}));
    connection->roundtrip();

    QElapsedTimer clock;
    clock.start();
    const Pasteboard::Saved withinBudget = saveWithin(*pasteboard, std::chrono::milliseconds(300));
    const qint64 took = clock.elapsed();
    for (int fd : held.fds)
        ::close(fd);
    ASSERT_TRUE(withinBudget.contents.has_value());
    EXPECT_EQ(*withinBudget.contents,
              (Contents{{QStringLiteral("text/plain"), QByteArrayLiteral("answered")}}));
    ASSERT_EQ(withinBudget.givenUp.size(), 1);
    EXPECT_EQ(withinBudget.givenUp.first().format, QStringLiteral("image/png"));
    EXPECT_EQ(withinBudget.givenUp.first().reason, Pasteboard::GivenUp::Reason::TooSlow);
    EXPECT_GE(took, 250);
    EXPECT_LT(took, 2000);
}

// Each format read costs a pipe: an owner offering thousands would fill the descriptor table.
TEST_F(DataControlPasteboardTest, ThousandsOfOfferedFormatsAreCappedAndTheRestGivenUpAloud) {
    constexpr int kOffered = 2000;
    // Each format answers with its own name.
    static const zwlr_data_control_source_v1_listener listener = {
        [](void*, zwlr_data_control_source_v1*, const char* type, int32_t fd) {
            (void)::write(fd, type, std::strlen(type));
            ::close(fd);
        },
        [](void*, zwlr_data_control_source_v1*) {}};
    OtherClientsSource other(listener, nullptr);
    ASSERT_TRUE(other.isValid());
    QStringList offered;
    for (int i = 0; i < kOffered; ++i) {
        offered << QStringLiteral("application/x-format-%1").arg(i);
        other.offer(offered.last());
        if (i % 64 == 63)
            other.connection().roundtrip();  // the socket's buffer holds only so many requests
    }
    other.select();
    QStringList listed;
    ASSERT_TRUE(waitUntil([&] {
        const auto types = SwaySession::wlPaste({QStringLiteral("--list-types")});
        listed = QString::fromUtf8(types.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return listed == offered;
    })) << listed.size()
        << " types listed, the first " << listed.value(0).toStdString();
    connection->roundtrip();

    const Pasteboard::Saved capped = saveWithin(*pasteboard, std::chrono::milliseconds(3000));
    ASSERT_TRUE(capped.contents.has_value());
    Contents expected;
    for (qsizetype i = 0; i < DataControlPasteboard::kMaxFormats; ++i)
        expected.append({offered[i], offered[i].toUtf8()});
    EXPECT_EQ(*capped.contents, expected) << "the first formats, in the owner's order";
    ASSERT_EQ(capped.givenUp.size(), kOffered - DataControlPasteboard::kMaxFormats)
        << "every format left out is named";
    EXPECT_EQ(capped.givenUp.first().format, offered[DataControlPasteboard::kMaxFormats]);
    EXPECT_EQ(capped.givenUp.last().format, offered.last());
    EXPECT_EQ(capped.givenUp.first().reason, Pasteboard::GivenUp::Reason::TooLarge);
}

TEST(DataControlPasteboardWithoutCompositor, ReportsItselfUnavailableAndLosesNothing) {
    WaylandConnection connection("quillo-test-no-such-compositor");
    EXPECT_FALSE(connection.isValid());
    DataControlPasteboard pasteboard(connection);
    EXPECT_FALSE(pasteboard.isAvailable());
    EXPECT_EQ(pasteboard.contents(), std::nullopt) << "unreadable, not empty";
    EXPECT_EQ(QCoro::waitFor(pasteboard.saveContents()).contents, std::nullopt);
    EXPECT_FALSE(
        pasteboard.offerText(Pasteboard::Selection::Clipboard, QStringLiteral("nowhere"), {}));
    EXPECT_FALSE(pasteboard.stillOffers(Pasteboard::Selection::Clipboard));
    pasteboard.writeText(QStringLiteral("nowhere"));
    pasteboard.clear();
    EXPECT_TRUE(pasteboard.text().isEmpty());
}
