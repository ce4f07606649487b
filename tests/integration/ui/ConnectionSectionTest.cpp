#include "integration/ui/UiTestSupport.h"
#include "support/EventLoop.h"
#include "support/FakeActivationPolicy.h"
#include "support/FakeAudioSourceList.h"
#include "support/FakeLoginItemService.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/LogCapture.h"
#include "support/LoopbackHttpServer.h"

#include "models/AppSettings.h"
#include "models/AppState.h"
#include "models/RecordingStateMachine.h"
#include "services/remote/LLMProvider.h"
#include "views/settings/sections/ConnectionSettingsContent.h"
#include "views/settings/sections/HistoryRow.h"
#include "views/settings/sections/MicrophoneChoice.h"
#include "views/settings/sections/SecretField.h"
#include "views/settings/sections/VocabularyCards.h"
#include "views/settings/SettingsView.h"
#include "views/settings/SettingsWindowController.h"
#include "views/Translations.h"
#include "views/tray/MenuBarView.h"
#include "views/widgets/PillButton.h"
#include "views/widgets/SegmentedControl.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class ConnectionSectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        store().clear();
        Translations::install(QStringLiteral("en"));
        network.setProxy(QNetworkProxy::NoProxy);
    }
    void TearDown() override { Translations::install(QStringLiteral("en")); }

    static InMemoryDefaultsStore& store() { return InMemoryDefaultsStore::sharedForTests(); }
    static AppSettings& settings() { return AppSettings::shared(); }

    // A fresh section, as selecting it in the sidebar makes one, shown in its own window.
    ConnectionSettingsContent* open(std::chrono::milliseconds timeout = 10'000ms) {
        delete window;
        window = new QWidget;
        auto* layout = new QVBoxLayout(window);
        section = new ConnectionSettingsContent(
            settings(), {HttpTransport(&network, timeout), server.baseURL()}, window);
        layout->addWidget(section);
        window->resize(780, 900);
        window->show();
        settle();
        return section;
    }

    static void typeInto(QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClicks(field, text);
    }

    QString checkOutcome(LLMProvider provider) {
        QTest::mouseClick(section->checkButton(provider), Qt::LeftButton);
        const QString running = qtTrId("connection.check.running");
        waitUntil([&] { return section->checkResult(provider)->text() != running; }, 10s);
        return section->checkResult(provider)->text();
    }

    QNetworkAccessManager network;
    LoopbackHttpServer server;
    QWidget* window = nullptr;
    ConnectionSettingsContent* section = nullptr;

public:
    ~ConnectionSectionTest() override { delete window; }
};

void chooseSegment(SegmentedControl* control, int index) {
    QTest::mouseClick(control, Qt::LeftButton, {}, control->segmentRect(index).center());
}

TEST_F(ConnectionSectionTest, RouteAndEveryFieldAreStoredAtOnceAndReadBackOnReopening) {
    open();
    EXPECT_EQ(section->routeChoice()->value(), "backend");
    EXPECT_FALSE(section->ownProviders()->isVisible());
    EXPECT_TRUE(store().keys().isEmpty()) << "opening writes nothing";

    chooseSegment(section->routeChoice(), 1);
    EXPECT_EQ(store().boolean("use_backend"), false);
    EXPECT_TRUE(section->ownProviders()->isVisible());
    // Each field, the key it writes and a value, read back through the field on reopening.
    const struct {
        std::function<QLineEdit*()> edit;
        const char* key;
        const char* value;
    } fields[] = {
        {[&] { return section->openAIKeyField()->lineEdit(); }, "openai_api_key", "sk-openai-111"},
        {[&] { return section->anthropicKeyField()->lineEdit(); }, "anthropic_api_key",
         "sk-ant-222"},
        {[&] { return section->baseURLField(); }, "openai_base_url", "http://127.0.0.1:8080/v1"},
        {[&] { return section->transcriptionModelField(); }, "transcription_model", "whisper-1"},
        {[&] { return section->chatModelField(); }, "chat_model", "llama3.1:8b"},
        {[&] { return section->anthropicModelField(); }, "anthropic_model", "claude-sonnet-4-5"},
    };
    for (const auto& field : fields) {
        typeInto(field.edit(), field.value);
        EXPECT_EQ(store().string(field.key), field.value);
    }
    chooseSegment(section->providerChoice(), 1);
    EXPECT_EQ(store().string("llm_provider"), "anthropic");

    open();
    EXPECT_EQ(section->routeChoice()->value(), "own");
    EXPECT_TRUE(section->ownProviders()->isVisible());
    for (const auto& field : fields) {
        EXPECT_EQ(field.edit()->text(), field.value) << field.key;
    }
    EXPECT_EQ(section->providerChoice()->value(), "anthropic");
}

TEST_F(ConnectionSectionTest, KeysAreMaskedAndNeverInTheLogOrAnAccessibleName) {
    settings().setUseBackend(false);
    settings().setOpenAIBaseURL(server.baseURL());
    LogCapture log;
    open();
    typeInto(section->openAIKeyField()->lineEdit(), "sk-secret-openai");
    typeInto(section->anthropicKeyField()->lineEdit(), "sk-secret-anthropic");
    EXPECT_EQ(section->openAIKeyField()->lineEdit()->echoMode(), QLineEdit::Password);
    EXPECT_NE(section->openAIKeyField()->lineEdit()->displayText(), "sk-secret-openai");
    server.enqueue(ScriptedResponse::json(200, "{}"));
    checkOutcome(LLMProvider::openai);

    for (QWidget* widget : window->findChildren<QWidget*>()) {
        QAccessibleInterface* node = QAccessible::queryAccessibleInterface(widget);
        if (!node)
            continue;
        EXPECT_FALSE(node->text(QAccessible::Name).contains("sk-secret"))
            << node->text(QAccessible::Name).toStdString();
        EXPECT_FALSE(node->text(QAccessible::Description).contains("sk-secret"));
        if (widget == section->openAIKeyField()->lineEdit()) {
            EXPECT_FALSE(node->text(QAccessible::Value).contains("sk-secret"));
        }
    }
    for (const QString& line : log.lines()) {
        EXPECT_FALSE(line.contains("sk-secret")) << line.toStdString();
    }

    QTest::mouseClick(section->openAIKeyField()->showButton(), Qt::LeftButton);
    EXPECT_TRUE(section->openAIKeyField()->isRevealed());
    EXPECT_EQ(section->openAIKeyField()->lineEdit()->displayText(), "sk-secret-openai");
}

TEST_F(ConnectionSectionTest, CheckButtonShowsSuccessRejectedKeyStatusRefusedAndTimeOut) {
    settings().setUseBackend(false);
    settings().setOpenAIBaseURL(server.baseURL());
    settings().setOpenAIAPIKey("sk-check");
    open(400ms);
    server.enqueue(ScriptedResponse::json(200, R"({"data":[]})"));
    EXPECT_EQ(checkOutcome(LLMProvider::openai), "Connected");
    server.enqueue(ScriptedResponse::json(401, R"({"error":"invalid key"})"));
    EXPECT_EQ(checkOutcome(LLMProvider::openai), "Key rejected");
    server.enqueue(ScriptedResponse::json(429, "{}"));
    EXPECT_EQ(checkOutcome(LLMProvider::anthropic), "Server answered with status 429");
    ScriptedResponse silent;
    silent.ending = ScriptedResponse::Ending::neverAnswer;
    server.enqueue(silent);
    EXPECT_EQ(checkOutcome(LLMProvider::openai), "Server not reachable");
    EXPECT_TRUE(section->checkButton(LLMProvider::openai)->isEnabled());

    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const QString closed = QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());
    probe.close();
    typeInto(section->baseURLField(), closed);
    EXPECT_EQ(checkOutcome(LLMProvider::openai), "Server not reachable");
    ASSERT_EQ(server.requests().size(), 4);
    EXPECT_EQ(server.requests()[0].header("Authorization"), "Bearer sk-check");
}

TEST_F(ConnectionSectionTest, PlainHttpIsRefusedForAPublicHostAndAcceptedForLoopback) {
    settings().setUseBackend(false);
    open();
    EXPECT_FALSE(section->addressNote()->isVisible()) << "the default https host needs no note";
    typeInto(section->baseURLField(), "http://api.example.com");
    EXPECT_TRUE(section->addressNote()->isVisible());
    EXPECT_EQ(section->addressNote()->text(), qtTrId("connection.http_refused"));
    EXPECT_EQ(checkOutcome(LLMProvider::openai), "Not sent: this address needs https");
    EXPECT_EQ(server.connectionCount(), 0);

    typeInto(section->baseURLField(), "http://127.0.0.1:8080");
    EXPECT_EQ(section->addressNote()->text(), qtTrId("connection.http_local"));
    typeInto(section->baseURLField(), "https://llm.example.org");
    EXPECT_FALSE(section->addressNote()->isVisible());
    section->baseURLField()->selectAll();
    QTest::keyClick(section->baseURLField(), Qt::Key_Backspace);
    EXPECT_EQ(settings().openAIBaseURL(), "https://api.openai.com") << "blank means the default";
}

TEST_F(ConnectionSectionTest, MissingKeyWarningInTheMenuOpensTheConnectionSection) {
    settings().setUseBackend(false);
    FakeLoginItemService loginItems;
    FakeActivationPolicy policy;
    SettingsWindowController controller(settings(), &loginItems, &policy);
    AppState appState(settings());
    RecordingStateMachine machine;
    MenuBarView menu(
        settings(), appState, machine, [] {}, [] {});
    menu.setOpenConnectionSettings(
        [&controller] { controller.showSection(SettingsSection::connection); });
    menu.popup(QPoint(10, 10));
    settle();
    ASSERT_TRUE(menu.apiKeyWarning()->isVisible());
    QTest::mouseClick(menu.apiKeyWarning(), Qt::LeftButton);
    settle();
    ASSERT_NE(controller.view(), nullptr);
    EXPECT_EQ(controller.view()->selectedSection(), SettingsSection::connection);
    EXPECT_NE(qobject_cast<ConnectionSettingsContent*>(controller.view()->sectionContent()),
              nullptr);
    EXPECT_FALSE(menu.isVisible());
}

TEST(MicrophoneChoiceTest, ListsDefaultAndInputsFollowsPlugsAndKeepsAMissingChoice) {
    InMemoryDefaultsStore::sharedForTests().clear();
    Translations::install(QStringLiteral("en"));
    AppSettings& settings = AppSettings::shared();
    FakeAudioSourceList sources;
    sources.list = {{"test_other_mic", "Other Mic"}, {"test_mic", "USB Headset"}};
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* choice = new MicrophoneChoice(settings, sources);
    layout->addWidget(choice);
    window.show();
    settle();
    QComboBox* box = choice->choice();
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(0), "System default");
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_TRUE(sources.metering) << "the level bar runs while the choice is on screen";

    box->activated(2);
    EXPECT_EQ(InMemoryDefaultsStore::sharedForTests().string("input_device"), "test_mic");
    EXPECT_EQ(sources.meteredSource, "test_mic");

    sources.setSources({{"test_other_mic", "Other Mic"}});
    ASSERT_EQ(box->count(), 3);
    EXPECT_EQ(box->currentText(), "test_mic (not connected)");
    sources.setSources(
        {{"test_other_mic", "Other Mic"}, {"test_mic", "USB Headset"}, {"usb_new", "New Mic"}});
    EXPECT_EQ(box->count(), 4);
    EXPECT_EQ(box->currentText(), "USB Headset");

    emit sources.levelChanged(0.5f);
    EXPECT_EQ(choice->levelBar()->value(), 50);
    window.hide();
    EXPECT_FALSE(sources.metering);
}

TEST(VocabularyCardsWidgetTest, EditsAreStoredAtOnceAndReadBack) {
    InMemoryDefaultsStore::sharedForTests().clear();
    Translations::install(QStringLiteral("en"));
    AppSettings& settings = AppSettings::shared();
    auto* cards = new VocabularyCards(settings);
    cards->show();
    cards->vocabularyEditor()->setFocus();
    QTest::keyClicks(cards->vocabularyEditor(), "Quillo");
    EXPECT_EQ(settings.vocabulary(), QStringList{"Quillo"});
    QTest::keyClicks(cards->replacementsEditor(), "cube control -> kubectl");
    EXPECT_EQ(settings.replacements(), (QList<Replacement>{{"cube control", "kubectl"}}));
    delete cards;
    VocabularyCards reopened(settings);
    EXPECT_EQ(reopened.vocabularyEditor()->toPlainText(), "Quillo");
    EXPECT_EQ(reopened.replacementsEditor()->toPlainText(), "cube control → kubectl");
}

TEST(HistoryRowTest, ClickOrContextMenuCopiesTheTextWithAShortConfirmation) {
    Translations::install(QStringLiteral("en"));
    HistoryRow row("12:30", "Meeting moved to Thursday.");
    row.resize(400, 40);
    row.show();
    QApplication::clipboard()->clear();
    QTest::mouseClick(&row, Qt::LeftButton, {}, QPoint(200, 20));
    EXPECT_EQ(QApplication::clipboard()->text(), "Meeting moved to Thursday.");
    EXPECT_EQ(row.timeLabel()->text(), "Copied");
    // The time comes back when the confirmation's timer runs out.
    QTimer* restore = row.findChild<QTimer*>();
    ASSERT_NE(restore, nullptr);
    EXPECT_TRUE(restore->isActive());
    QMetaObject::invokeMethod(restore, "timeout", Qt::DirectConnection);
    EXPECT_EQ(row.timeLabel()->text(), "12:30");
}

}  // namespace
