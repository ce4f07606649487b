#include "integration/ui/UiTestSupport.h"
#include "support/FakeActivationPolicy.h"
#include "support/FakeLoginItemService.h"
#include "support/InMemoryDefaultsStore.h"

#include "models/AppSettings.h"
#include "models/AppState.h"
#include "models/RecordingStateMachine.h"
#include "services/local/SpeechModelDownloader.h"
#include "views/onboarding/OnboardingView.h"
#include "views/onboarding/OnboardingWindowController.h"
#include "views/settings/SettingsView.h"
#include "views/settings/SettingsWindowController.h"
#include "views/Translations.h"
#include "views/tray/MenuBarView.h"
#include "views/widgets/SegmentedControl.h"

#include <QAccessible>
#include <QAbstractScrollArea>
#include <QAccessibleActionInterface>
#include <QNetworkAccessManager>
#include <QToolButton>

#include <gtest/gtest.h>

#include <set>

namespace {

// The roles a user operates; each needs a name (or a label tied to it) and its state.
const std::set<QAccessible::Role> controlRoles = {
    QAccessible::Button,      QAccessible::CheckBox,     QAccessible::RadioButton,
    QAccessible::ComboBox,    QAccessible::EditableText, QAccessible::Slider,
    QAccessible::SpinBox,     QAccessible::PageTab,      QAccessible::PageTabList,
    QAccessible::ProgressBar, QAccessible::MenuItem,     QAccessible::ButtonMenu};
const std::set<QAccessible::Role> checkableRoles = {QAccessible::CheckBox, QAccessible::RadioButton,
                                                    QAccessible::PageTab};

QString describe(QAccessibleInterface* node) {
    const QObject* object = node->object();
    return QStringLiteral("%1 '%2' (role %3)")
        .arg(object ? QString::fromLatin1(object->metaObject()->className()) : QStringLiteral("-"),
             object ? object->objectName() : QString())
        .arg(int(node->role()));
}

bool isNamed(QAccessibleInterface* node) {
    // A combo box on Linux reads its current text as its name and its label through a relation.
    return !node->text(QAccessible::Name).trimmed().isEmpty() ||
           !node->relations(QAccessible::Label).isEmpty();
}

// Walks the tree as a screen reader does and lists every control it could not announce or
// operate: without a name, a focusable widget without a role, a check without a checked state.
void collectProblems(QAccessibleInterface* node, QStringList& problems, int depth = 0) {
    ASSERT_LT(depth, 64) << "a cycle in the accessibility tree";
    const QAccessible::Role role = node->role();
    const QAccessible::State state = node->state();
    if (role != QAccessible::Separator && controlRoles.contains(role) && !isNamed(node)) {
        problems << QStringLiteral("no name: ") + describe(node);
    }
    if (checkableRoles.contains(role) && !state.checkable) {
        problems << QStringLiteral("no checked state: ") + describe(node);
    }
    // A scroll area takes the focus to scroll with the keys; it is a pane, not a control.
    if (auto* widget = qobject_cast<QWidget*>(node->object());
        widget && (widget->focusPolicy() & Qt::TabFocus) &&
        !qobject_cast<QAbstractScrollArea*>(widget) &&
        (role == QAccessible::Client || role == QAccessible::NoRole)) {
        problems << QStringLiteral("no role: ") + describe(node);
    }
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface* child = node->child(i)) {
            collectProblems(child, problems, depth + 1);
        }
    }
}

QStringList problemsOf(QObject* root) {
    QStringList problems;
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(root);
    EXPECT_NE(node, nullptr);
    if (node)
        collectProblems(node, problems);
    return problems;
}

QAccessibleInterface* findNode(QAccessibleInterface* node, QAccessible::Role role,
                               const QString& name) {
    if (node->role() == role && node->text(QAccessible::Name) == name)
        return node;
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface* child = node->child(i)) {
            if (QAccessibleInterface* found = findNode(child, role, name))
                return found;
        }
    }
    return nullptr;
}

class AccessibilityTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        InMemoryDefaultsStore::sharedForTests().clear();
        OnboardingWindowController::shared().reset();
    }
    void TearDown() override {
        OnboardingWindowController::shared().reset();
        Translations::install(QStringLiteral("en"));
    }

    static void pressOnFocus(Qt::Key key) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        QTest::keyClick(focused, key);
        settle();
    }
    static QString focusName() {
        QWidget* focused = QApplication::focusWidget();
        return focused ? focused->objectName() : QString();
    }
    // Tabs forward until the widget named `name` has the focus; fails after a full round.
    static void tabTo(const QString& name) {
        for (int i = 0; i < 40 && focusName() != name; ++i)
            pressOnFocus(Qt::Key_Tab);
        ASSERT_EQ(focusName(), name);
    }

    AppSettings& settings = AppSettings::shared();
};

TEST_F(AccessibilityTreeTest, EveryControlOfOnboardingSettingsAndMenuHasANameRoleAndState) {
    for (const QString& language : {QStringLiteral("en"), QStringLiteral("de")}) {
        SCOPED_TRACE(language.toStdString());
        Translations::install(language);

        OnboardingWindowController::shared().reset();
        OnboardingWindowController::shared().show();
        // The stack holds every step, the hidden ones included.
        EXPECT_EQ(problemsOf(OnboardingWindowController::shared().window()), QStringList());

        FakeLoginItemService loginItems;
        FakeActivationPolicy activationPolicy;
        QNetworkAccessManager network;
        SpeechModelDownloader downloader(network);
        SettingsWindowController controller(settings, &loginItems, &activationPolicy);
        controller.setModelDownloader(&downloader);
        controller.show();
        for (SettingsSection section : SettingsSection::allCases()) {
            SCOPED_TRACE(section.rawValue().toStdString());
            controller.showSection(section);
            settle();
            EXPECT_EQ(problemsOf(controller.window()), QStringList());
        }
        controller.window()->close();

        AppState appState(settings);
        RecordingStateMachine machine;
        MenuBarView menu(
            settings, appState, machine, [] {}, [] {});
        menu.popup(QPoint(100, 100));
        EXPECT_EQ(problemsOf(&menu), QStringList());
        menu.hide();
    }
}

TEST_F(AccessibilityTreeTest, ChecksAndModesReportWhatIsChecked) {
    settings.setSelectedModeRaw(QStringLiteral("chat"));
    AppState appState(settings);
    RecordingStateMachine machine;
    MenuBarView menu(
        settings, appState, machine, [] {}, [] {});
    QAccessibleInterface* tray = QAccessible::queryAccessibleInterface(&menu);
    const QString chat = DictationMode(DictationMode::chat).displayName();
    const QString email = DictationMode(DictationMode::email).displayName();
    QAccessibleInterface* chatItem = findNode(tray, QAccessible::MenuItem, chat);
    QAccessibleInterface* emailItem = findNode(tray, QAccessible::MenuItem, email);
    ASSERT_TRUE(chatItem && emailItem);
    EXPECT_TRUE(chatItem->state().checkable && chatItem->state().checked);
    EXPECT_FALSE(emailItem->state().checked);
    settings.setSelectedModeRaw(QStringLiteral("email"));
    EXPECT_TRUE(emailItem->state().checked);
    EXPECT_FALSE(chatItem->state().checked);

    OnboardingWindowController::shared().show();
    auto* confirm = OnboardingWindowController::shared().view()->findChild<QToolButton*>(
        QStringLiteral("accessibilityConfirmBox"));
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(confirm);
    EXPECT_EQ(box->role(), QAccessible::CheckBox);
    EXPECT_EQ(box->text(QAccessible::Name), qtTrId("onboarding.accessibility.confirm"));
    EXPECT_FALSE(box->state().checked);
    confirm->click();
    EXPECT_TRUE(box->state().checked);
    EXPECT_TRUE(OnboardingWindowController::shared().view()->accessibilityConfirmed());
}

TEST_F(AccessibilityTreeTest, TheOnboardingWalksThroughWithTheKeyboardAlone) {
    OnboardingWindowController::shared().show();
    QWidget* window = OnboardingWindowController::shared().window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    OnboardingView* view = OnboardingWindowController::shared().view();

    tabTo(QStringLiteral("welcomeButton"));
    pressOnFocus(Qt::Key_Return);
    ASSERT_EQ(view->currentStep(), OnboardingView::microphoneStep);

    tabTo(QStringLiteral("micButton"));
    pressOnFocus(Qt::Key_Space);  // asks; the permission is granted at once here
    ASSERT_EQ(view->currentStep(), OnboardingView::engineStep);

    // The choices are one radio group: Tab enters it, the arrows move within it.
    tabTo(QStringLiteral("engineChoice2"));
    pressOnFocus(Qt::Key_Up);
    EXPECT_EQ(view->speechEngine()->engine(), SpeechEngineStep::Engine::own);
    pressOnFocus(Qt::Key_Down);
    EXPECT_EQ(view->speechEngine()->engine(), SpeechEngineStep::Engine::backend);
    tabTo(QStringLiteral("engineNextButton"));
    pressOnFocus(Qt::Key_Return);
    ASSERT_EQ(view->currentStep(), OnboardingView::accessibilityStep);

    // The order follows the layout: the help button, the check box, Continue.
    tabTo(QStringLiteral("openAccessibilitySettingsButton"));
    pressOnFocus(Qt::Key_Tab);
    ASSERT_EQ(focusName(), "accessibilityConfirmBox");
    pressOnFocus(Qt::Key_Space);
    EXPECT_TRUE(view->accessibilityConfirmed());
    pressOnFocus(Qt::Key_Tab);
    ASSERT_EQ(focusName(), "accessibilityNextButton");
    pressOnFocus(Qt::Key_Return);
    ASSERT_EQ(view->currentStep(), OnboardingView::readyStep);

    // The last page starts in the field the user dictates into; Tab goes on to finishing.
    EXPECT_EQ(focusName(), "tryItField");
    pressOnFocus(Qt::Key_Tab);
    EXPECT_EQ(focusName(), "readyButton");
    pressOnFocus(Qt::Key_Backtab);
    EXPECT_EQ(focusName(), "tryItField");
}

// The keyboard chooses a segment with the arrows, Home and End; a screen reader sees the segments
// as tabs with their checked state, and presses them.
TEST_F(AccessibilityTreeTest, SegmentedControlsAreChosenWithTheArrowKeysAndByAScreenReader) {
    QWidget window;
    SegmentedControl control({{QStringLiteral("a"), QStringLiteral("Alpha")},
                              {QStringLiteral("b"), QStringLiteral("Beta")},
                              {QStringLiteral("c"), QStringLiteral("Gamma")}},
                             &window);
    QStringList chosen;
    QObject::connect(&control, &SegmentedControl::valueChosen,
                     [&chosen](const QString& value) { chosen << value; });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    control.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(control.hasFocus());

    QTest::keyClick(&control, Qt::Key_Space);  // none selected: the first
    QTest::keyClick(&control, Qt::Key_Right);
    QTest::keyClick(&control, Qt::Key_Right);
    QTest::keyClick(&control, Qt::Key_Right);  // stays on the last
    QTest::keyClick(&control, Qt::Key_Left);
    QTest::keyClick(&control, Qt::Key_Home);
    QTest::keyClick(&control, Qt::Key_End);
    EXPECT_EQ(chosen, (QStringList{"a", "b", "c", "b", "a", "c"}));
    EXPECT_EQ(control.value(), "c");

    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&control);
    ASSERT_EQ(list->role(), QAccessible::PageTabList);
    ASSERT_EQ(list->childCount(), 3);
    QAccessibleInterface* beta = list->child(1);
    EXPECT_EQ(beta->text(QAccessible::Name), "Beta");
    EXPECT_EQ(beta->parent(), list);
    EXPECT_EQ(list->indexOfChild(beta), 1);
    EXPECT_TRUE(list->child(2)->state().checked);
    EXPECT_FALSE(beta->state().checked);
    beta->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(chosen.last(), "b");
    EXPECT_TRUE(beta->state().checked);
    EXPECT_FALSE(list->child(2)->state().checked);
}

}  // namespace
