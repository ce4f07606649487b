#include "integration/ui/UiTestSupport.h"
#include "support/FakeActivationPolicy.h"
#include "support/FakeLoginItemService.h"
#include "support/InMemoryDefaultsStore.h"

#include "BuildConfig.h"
#include "models/AppSettings.h"
#include "views/settings/sections/GeneralSettingsContent.h"
#include "views/settings/sections/HomeSettingsContent.h"
#include "views/settings/sections/SystemSettingsContent.h"
#include "views/settings/SettingsView.h"
#include "views/settings/SettingsWindowController.h"
#include "views/settings/SidebarButton.h"
#include "views/widgets/KeyCaptureView.h"

#include <QAbstractButton>
#include <QDesktopServices>
#include <QUrl>

#include <gtest/gtest.h>

// Receives the addresses the window asks the desktop to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void openUrl(const QUrl& url) { opened.append(url); }
};

namespace {

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override { InMemoryDefaultsStore::sharedForTests().clear(); }

    SettingsView* view() const { return controller.view(); }
    void clickSection(SettingsSection section) {
        QTest::mouseClick(view()->sidebarButton(section), Qt::LeftButton);
    }
    void recordRightOptionHotkey() {
        clickSection(SettingsSection::general);
        auto* general = qobject_cast<GeneralSettingsContent*>(view()->sectionContent());
        ASSERT_NE(general, nullptr);
        QTest::mouseClick(general->hotkeyField()->button(), Qt::LeftButton);
        ASSERT_NE(general->hotkeyField()->captureView(), nullptr);
        // A lone modifier is recorded on its release.
        QWidget* capture = general->hotkeyField()->captureView();
        pressKey(capture, Qt::Key_AltGr);
        sendKey(capture, QEvent::KeyRelease, Qt::Key_AltGr);
        settle();
    }

    FakeLoginItemService loginItems;
    FakeActivationPolicy activationPolicy;
    SettingsWindowController controller{AppSettings::shared(), &loginItems, &activationPolicy};
};

TEST_F(SettingsWindowTest, OneWindowThatKeepsItsSectionWhenClosedAndShownAgain) {
    controller.show();
    QWidget* window = controller.window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(view()->selectedSection(), SettingsSection::home);

    controller.show();
    EXPECT_EQ(controller.window(), window);

    clickSection(SettingsSection::system);
    window->close();
    EXPECT_FALSE(window->isVisible());
    controller.show();
    EXPECT_EQ(controller.window(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(view()->selectedSection(), SettingsSection::system);
    EXPECT_NE(qobject_cast<SystemSettingsContent*>(view()->sectionContent()), nullptr);
}

TEST_F(SettingsWindowTest, SidebarSwitchesSectionsAndHighlightsTheSelectedOne) {
    controller.show();
    QWidget* home = view()->sectionContent();
    EXPECT_NE(qobject_cast<HomeSettingsContent*>(home), nullptr);
    EXPECT_TRUE(view()->sidebarButton(SettingsSection::home)->isSelected());

    clickSection(SettingsSection::home);
    EXPECT_EQ(view()->sectionContent(), home) << "the shown section is not rebuilt";

    clickSection(SettingsSection::general);
    EXPECT_NE(qobject_cast<GeneralSettingsContent*>(view()->sectionContent()), nullptr);
    EXPECT_TRUE(view()->sidebarButton(SettingsSection::general)->isSelected());
    EXPECT_FALSE(view()->sidebarButton(SettingsSection::home)->isSelected());
}

TEST_F(SettingsWindowTest, HotkeyRecordedInAWindowOpenedByReactivationReachesTheCallback) {
    // Re-activation opens the window before anything has set a callback.
    controller.show();
    QList<QPair<int, int>> first, second;
    controller.setOnHotkeyChanged([&](int key, int mods) { first.append({key, mods}); });
    recordRightOptionHotkey();
    EXPECT_EQ(first, (QList<QPair<int, int>>{{61, 0}}));

    // The menu hands over its own callback later: the open window uses it from then on.
    controller.setOnHotkeyChanged([&](int key, int mods) { second.append({key, mods}); });
    clickSection(SettingsSection::home);
    recordRightOptionHotkey();
    EXPECT_EQ(first.size(), 1);
    EXPECT_EQ(second, (QList<QPair<int, int>>{{61, 0}}));
}

// The desktop's word on the binding comes before the General section exists (and again after
// it is recreated): every new hotkey field refuses lone modifiers and shows the last report,
// until the user records another hotkey.
TEST_F(SettingsWindowTest, TheDesktopsHotkeyReportsReachEveryNewGeneralSection) {
    controller.setCanBindLoneModifiers(false);
    controller.showTriggerChanged(QStringLiteral("Meta+D"));
    controller.show();
    QList<QPair<int, int>> recorded;
    controller.setOnHotkeyChanged([&](int key, int mods) { recorded.append({key, mods}); });
    clickSection(SettingsSection::general);
    auto* general = qobject_cast<GeneralSettingsContent*>(view()->sectionContent());
    ASSERT_NE(general, nullptr);
    EXPECT_EQ(general->hotkeyField()->notice(),
              qtTrId("hotkey.portal.changed").arg(QStringLiteral("Meta+D")));

    controller.showTriggerTaken();
    EXPECT_EQ(general->hotkeyField()->notice(), qtTrId("hotkey.portal.taken"));

    recordRightOptionHotkey();
    EXPECT_TRUE(recorded.isEmpty()) << "a lone modifier never fires where combinations only bind";
    clickSection(SettingsSection::home);
    clickSection(SettingsSection::general);
    general = qobject_cast<GeneralSettingsContent*>(view()->sectionContent());
    ASSERT_NE(general, nullptr);
    EXPECT_EQ(general->hotkeyField()->notice(), qtTrId("hotkey.portal.taken"));
}

// GNOME's report comes from the start-up registration, before any General section exists.
TEST_F(SettingsWindowTest, AGnomeConflictAndKeyRepeatOffReachEveryNewGeneralSection) {
    int freed = 0;
    controller.showDesktopConflict(QStringLiteral("Activate the window menu"), [&] {
        ++freed;
        return true;
    });
    controller.setHoldUnavailable(true);
    controller.show();
    clickSection(SettingsSection::general);
    auto* general = qobject_cast<GeneralSettingsContent*>(view()->sectionContent());
    ASSERT_NE(general, nullptr);
    HotkeyField* field = general->hotkeyField();
    EXPECT_EQ(field->notice(),
              qtTrId("hotkey.gnome.conflict").arg(QStringLiteral("Activate the window menu")));
    EXPECT_EQ(field->holdNote(), qtTrId("hotkey.gnome.hold_unavailable"));
    field->freeKeysButton()->click();
    EXPECT_EQ(freed, 1);

    // The registration went through after the freeing.
    controller.showDesktopConflict({}, {});
    controller.setHoldUnavailable(false);
    EXPECT_TRUE(field->notice().isEmpty());
    EXPECT_TRUE(field->holdNote().isEmpty());
}

TEST_F(SettingsWindowTest, HelpAndSupportOpenTheProductPages) {
    UrlRecorder recorder;
    const QString scheme = QUrl(QString::fromUtf8(BuildConfig::webUrl)).scheme();
    QDesktopServices::setUrlHandler(scheme, &recorder, "openUrl");
    controller.show();
    QTest::mouseClick(view()->helpLink(), Qt::LeftButton);
    QTest::mouseClick(view()->supportLink(), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(scheme);

    const QString web = QString::fromUtf8(BuildConfig::webUrl);
    EXPECT_EQ(recorder.opened, (QList<QUrl>{QUrl(web + "/help"), QUrl(web + "/support")}));
}

}  // namespace

#include "SettingsWindowTest.moc"
