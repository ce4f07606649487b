#include "SwaySession.h"

#include "platform/wayland/DataControlPasteboard.h"
#include "platform/wayland/WaylandConnection.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include <unistd.h>

#include "wlr-data-control-unstable-v1-client-protocol.h"
#include "support/RequireEnvironment.h"

namespace {

using Contents = Pasteboard::Contents;

// Another application owning the clipboard with the given formats, in its own process.
class ClipboardOwner {
public:
    explicit ClipboardOwner(const Contents& contents) {
        QStringList arguments;
        for (int i = 0; i < contents.size(); ++i) {
            const QString path = dir_.filePath(QString::number(i));
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.write(contents[i].second);
            arguments << contents[i].first + QLatin1Char('=') + path;
        }
        process_.setProcessEnvironment(SwaySession::clientEnvironment());
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(QUILLO_BINARY_DIR "/tests/wayland_clipboard_owner_child"),
                       arguments);
        owning_ = waitUntil([this] {
                      return process_.readAllStandardOutput().contains("owning") ||
                             process_.state() == QProcess::NotRunning;
                  }) &&
                  process_.state() == QProcess::Running;
    }
    ~ClipboardOwner() {
        process_.kill();
        process_.waitForFinished(2000);
    }
    bool isOwning() const { return owning_; }

private:
    QTemporaryDir dir_;
    QProcess process_;
    bool owning_ = false;
};

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

    // Waits until the selection the compositor announced has the formats.
    bool selectionHas(const QStringList& formats) {
        return waitUntil([&] {
            const auto types =
                SwaySession::runTool(QStringLiteral("wl-paste"), {QStringLiteral("--list-types")});
            return QString::fromUtf8(types.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts) ==
                   formats;
        });
    }

    std::unique_ptr<WaylandConnection> connection;
    std::unique_ptr<DataControlPasteboard> pasteboard;
};

}  // namespace

TEST_F(DataControlPasteboardTest, SavesEveryFormatOfAnotherProcessesSelectionWithItsBytes) {
    ClipboardOwner owner(threeFormats());
    ASSERT_TRUE(owner.isOwning());
    ASSERT_TRUE(waitUntil([&] { return pasteboard->text() == QStringLiteral("Grüße"); }));

    const std::optional<Contents> saved =
        save(*pasteboard, DataControlPasteboard::kSaveBudget.time);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(*saved, threeFormats());
    EXPECT_EQ(pasteboard->contents(), threeFormats()) << "the blocking read sees the same";
}

TEST_F(DataControlPasteboardTest, SavesWlCopysTextUnderEveryTypeItOffers) {
    QProcess copy;
    copy.setProcessEnvironment(SwaySession::clientEnvironment());
    copy.start(QStringLiteral("wl-copy"),
               {QStringLiteral("--foreground"), QStringLiteral("copied text")});
    ASSERT_TRUE(waitUntil([&] { return pasteboard->text() == QStringLiteral("copied text"); }));

    const std::optional<Contents> saved =
        save(*pasteboard, DataControlPasteboard::kSaveBudget.time);
    copy.kill();
    copy.waitForFinished(2000);
    ASSERT_TRUE(saved.has_value());
    EXPECT_GE(saved->size(), 2);
    for (const auto& [type, bytes] : *saved)
        EXPECT_EQ(bytes, QByteArrayLiteral("copied text")) << type.toStdString();
}

TEST_F(DataControlPasteboardTest, OffersTextTellsWhenItIsFetchedAndRestoresEveryFormat) {
    ClipboardOwner owner(threeFormats());
    ASSERT_TRUE(owner.isOwning());
    ASSERT_TRUE(waitUntil([&] { return pasteboard->text() == QStringLiteral("Grüße"); }));
    const std::optional<Contents> saved =
        save(*pasteboard, DataControlPasteboard::kSaveBudget.time);
    ASSERT_TRUE(saved.has_value());

    QSignalSpy fetched(pasteboard.get(), &DataControlPasteboard::fetched);
    int fetches = 0;
    ASSERT_TRUE(pasteboard->offerText(Pasteboard::Selection::Clipboard,
                                      QStringLiteral("dictated text "), [&] { ++fetches; }));
    EXPECT_FALSE(pasteboard->offeredTextFetched());
    EXPECT_EQ(fetches, 0) << "never called from within offerText()";
    EXPECT_TRUE(pasteboard->stillOffers(Pasteboard::Selection::Clipboard));
    EXPECT_EQ(pasteboard->text(), QStringLiteral("dictated text ")) << "answered from memory";
    const auto pasted =
        SwaySession::runTool(QStringLiteral("wl-paste"), {QStringLiteral("--no-newline")});
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
            SwaySession::runTool(QStringLiteral("wl-paste"),
                                 {QStringLiteral("--no-newline"), QStringLiteral("--type"), type});
        EXPECT_EQ(back.out, bytes) << type.toStdString();
    }
    EXPECT_EQ(fetched.count(), 1) << "reading the restored contents is no fetch of the text";
}

TEST_F(DataControlPasteboardTest, AnotherClientsCopyEndsOurOffer) {
    ASSERT_TRUE(
        pasteboard->offerText(Pasteboard::Selection::Clipboard, QStringLiteral("ours"), {}));
    ASSERT_TRUE(pasteboard->stillOffers(Pasteboard::Selection::Clipboard));
    ClipboardOwner owner(threeFormats());
    ASSERT_TRUE(owner.isOwning());
    EXPECT_TRUE(
        waitUntil([&] { return !pasteboard->stillOffers(Pasteboard::Selection::Clipboard); }));
}

// The paste chord on Wayland is always Control+V: the primary selection is never needed, and
// asking for it changes nothing.
TEST_F(DataControlPasteboardTest, ThePrimarySelectionReadsAsAbsentAndCannotBeTaken) {
    const Pasteboard::Saved saved = QCoro::waitFor(
        pasteboard->save(Pasteboard::Selection::Primary, DataControlPasteboard::kSaveBudget));
    EXPECT_EQ(saved.contents, std::nullopt);
    EXPECT_FALSE(pasteboard->offerText(Pasteboard::Selection::Primary, QStringLiteral("x"), {}));
    EXPECT_FALSE(pasteboard->stillOffers(Pasteboard::Selection::Primary));
}

TEST_F(DataControlPasteboardTest, AnOwnerThatNeverAnswersCostsTheBudgetAndTheOtherFormatsAreKept) {
    // A second client of our own that answers text/plain and leaves image/png hanging.
    WaylandConnection other(SwaySession::socket());
    auto* manager = static_cast<zwlr_data_control_manager_v1*>(
        other.bind(&zwlr_data_control_manager_v1_interface, 1));
    ASSERT_NE(manager, nullptr);
    auto* device = zwlr_data_control_manager_v1_get_data_device(manager, other.seat());
    auto* source = zwlr_data_control_manager_v1_create_data_source(manager);
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
    zwlr_data_control_source_v1_add_listener(source, &listener, &held);
    zwlr_data_control_source_v1_offer(source, "text/plain");
    zwlr_data_control_source_v1_offer(source, "image/png");
    zwlr_data_control_device_v1_set_selection(device, source);
    other.roundtrip();
    other.watch();
    // Not through text(): its blocking read would wait for this very process.
    ASSERT_TRUE(selectionHas({QStringLiteral("text/plain"), QStringLiteral("image/png")}));
    connection->roundtrip();

    QElapsedTimer clock;
    clock.start();
    const Pasteboard::Saved saved = saveWithin(*pasteboard, std::chrono::milliseconds(300));
    const qint64 took = clock.elapsed();
    ASSERT_TRUE(saved.contents.has_value());
    EXPECT_EQ(*saved.contents,
              (Contents{{QStringLiteral("text/plain"), QByteArrayLiteral("answered")}}));
    ASSERT_EQ(saved.givenUp.size(), 1);
    EXPECT_EQ(saved.givenUp.first().format, QStringLiteral("image/png"));
    EXPECT_EQ(saved.givenUp.first().reason, Pasteboard::GivenUp::Reason::TooSlow);
    EXPECT_GE(took, 250);
    EXPECT_LT(took, 2000);

    for (int fd : held.fds)
        ::close(fd);
    zwlr_data_control_source_v1_destroy(source);
    zwlr_data_control_device_v1_destroy(device);
    zwlr_data_control_manager_v1_destroy(manager);
    other.flush();
}

// Each format read costs a pipe: an owner offering thousands would fill the descriptor table.
TEST_F(DataControlPasteboardTest, ThousandsOfOfferedFormatsAreCappedAndTheRestGivenUpAloud) {
    constexpr int kOffered = 2000;
    WaylandConnection other(SwaySession::socket());
    auto* manager = static_cast<zwlr_data_control_manager_v1*>(
        other.bind(&zwlr_data_control_manager_v1_interface, 1));
    ASSERT_NE(manager, nullptr);
    auto* device = zwlr_data_control_manager_v1_get_data_device(manager, other.seat());
    auto* source = zwlr_data_control_manager_v1_create_data_source(manager);
    // Each format answers with its own name.
    static const zwlr_data_control_source_v1_listener listener = {
        [](void*, zwlr_data_control_source_v1*, const char* type, int32_t fd) {
            (void)::write(fd, type, std::strlen(type));
            ::close(fd);
        },
        [](void*, zwlr_data_control_source_v1*) {}};
    zwlr_data_control_source_v1_add_listener(source, &listener, nullptr);
    QStringList offered;
    for (int i = 0; i < kOffered; ++i) {
        offered << QStringLiteral("application/x-format-%1").arg(i);
        zwlr_data_control_source_v1_offer(source, offered.last().toUtf8().constData());
        if (i % 64 == 63)
            other.roundtrip();  // the socket's buffer holds only so many requests
    }
    zwlr_data_control_device_v1_set_selection(device, source);
    other.roundtrip();
    other.watch();
    QStringList listed;
    ASSERT_TRUE(waitUntil([&] {
        const auto types =
            SwaySession::runTool(QStringLiteral("wl-paste"), {QStringLiteral("--list-types")});
        listed = QString::fromUtf8(types.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return listed == offered;
    })) << listed.size()
        << " types listed, the first " << listed.value(0).toStdString();
    connection->roundtrip();

    const Pasteboard::Saved saved = saveWithin(*pasteboard, std::chrono::milliseconds(3000));
    ASSERT_TRUE(saved.contents.has_value());
    Contents expected;
    for (qsizetype i = 0; i < DataControlPasteboard::kMaxFormats; ++i)
        expected.append({offered[i], offered[i].toUtf8()});
    EXPECT_EQ(*saved.contents, expected) << "the first formats, in the owner's order";
    ASSERT_EQ(saved.givenUp.size(), kOffered - DataControlPasteboard::kMaxFormats)
        << "every format left out is named";
    EXPECT_EQ(saved.givenUp.first().format, offered[DataControlPasteboard::kMaxFormats]);
    EXPECT_EQ(saved.givenUp.last().format, offered.last());
    EXPECT_EQ(saved.givenUp.first().reason, Pasteboard::GivenUp::Reason::TooLarge);

    zwlr_data_control_source_v1_destroy(source);
    zwlr_data_control_device_v1_destroy(device);
    zwlr_data_control_manager_v1_destroy(manager);
    other.flush();
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
