#include "integration/ui/UiTestSupport.h"
#include "support/InMemoryDefaultsStore.h"

#include "models/AppSettings.h"
#include "views/Translations.h"
#include "views/widgets/HotkeyField.h"
#include "views/widgets/KeyCaptureView.h"
#include "views/widgets/KeyPill.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <QShortcut>

#include <gtest/gtest.h>

namespace {

// X key codes of the keys the tests press.
constexpr quint32 xRightAlt = 108;
constexpr quint32 xFn = 200;  // no X key code exists; a keyboard driver's private one
constexpr quint32 xGlobe = 201;

// A key code and its modifier flags.
using Hotkey = QPair<int, int>;

class HotkeyFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        InMemoryDefaultsStore::sharedForTests().clear();
        Translations::install(QStringLiteral("en"));
        KeyCaptureView::installNativeKeyTranslator([](quint32 code) -> std::optional<int> {
            if (code == xRightAlt)
                return 61;
            if (code == xFn)
                return 63;
            if (code == xGlobe)
                return 179;
            return std::nullopt;
        });
        window.resize(400, 200);
        field = new HotkeyField(
            settings(),
            [this](int key, int mods) {
                reported.append({key, mods});
            },
            &window);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void TearDown() override { KeyCaptureView::installNativeKeyTranslator({}); }

    static AppSettings& settings() { return AppSettings::shared(); }
    static Hotkey stored() { return {settings().hotkeyKeyCode(), settings().hotkeyModifiers()}; }
    static bool hotkeyStored() {
        return InMemoryDefaultsStore::sharedForTests().contains(AppSettings::Keys::hotkeyKeyCode);
    }
    void startRecording() {
        QTest::mouseClick(field->button(), Qt::LeftButton);
        ASSERT_TRUE(field->isRecording());
        ASSERT_NE(field->captureView(), nullptr);
    }
    // Keys go to the capture view; once recording has ended too early they fail the test
    // instead of reaching a view that is gone.
    QWidget* capture() {
        if (field->captureView())
            return field->captureView();
        ADD_FAILURE() << "not recording";
        return &window;
    }
    void releaseKey(Qt::Key key, Qt::KeyboardModifiers held, quint32 nativeScanCode = 0) {
        sendKey(capture(), QEvent::KeyRelease, key, held, nativeScanCode);
    }
    // Control and Shift down together and up again: no lone modifier.
    void pressControlAndShiftTogether() {
        pressKey(capture(), Qt::Key_Control);
        pressKey(capture(), Qt::Key_Shift, Qt::ControlModifier);
        releaseKey(Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
        releaseKey(Qt::Key_Control, Qt::ControlModifier);
    }
    QStringList pillTexts() const {
        QStringList texts;
        for (auto* pill : field->findChildren<KeyPill*>())
            texts << pill->text();
        return texts;
    }
    bool showsLabel(const QString& text) const {
        for (auto* label : field->button()->findChildren<QLabel*>()) {
            if (label->text() == text)
                return true;
        }
        return false;
    }

    QWidget window;
    HotkeyField* field = nullptr;
    QList<Hotkey> reported;
};

TEST_F(HotkeyFieldTest, ShowsStoredHotkeyAndRecordsALoneRightOptionOnItsRelease) {
    EXPECT_EQ(pillTexts(), (QStringList{"Alt", "Space"}));
    startRecording();
    EXPECT_TRUE(capture()->hasFocus());
    EXPECT_TRUE(showsLabel(qtTrId("hotkey.press_keys")));

    pressKey(capture(), Qt::Key_Alt, Qt::NoModifier, xRightAlt);
    EXPECT_TRUE(field->isRecording()) << "the press may still begin a combination";
    EXPECT_FALSE(hotkeyStored());
    releaseKey(Qt::Key_Alt, Qt::AltModifier, xRightAlt);
    settle();

    EXPECT_EQ(stored(), Hotkey(61, 0));
    EXPECT_EQ(reported, (QList<Hotkey>{{61, 0}}));
    EXPECT_FALSE(field->isRecording());
    EXPECT_EQ(field->captureView(), nullptr);
    EXPECT_EQ(pillTexts(), QStringList{"AltGr"});
    EXPECT_TRUE(showsLabel("AltGr"));
}

TEST_F(HotkeyFieldTest, FnAndGlobeAreBothStoredAsFn) {
    startRecording();
    pressKey(capture(), Qt::Key_unknown, Qt::NoModifier, xFn);
    releaseKey(Qt::Key_unknown, Qt::NoModifier, xFn);
    EXPECT_EQ(stored(), Hotkey(63, 0));

    settings().setHotkeyKeyCode(49);
    startRecording();
    pressKey(capture(), Qt::Key_unknown, Qt::NoModifier, xGlobe);
    releaseKey(Qt::Key_unknown, Qt::NoModifier, xGlobe);
    EXPECT_EQ(settings().hotkeyKeyCode(), 63);
    EXPECT_EQ(reported, (QList<Hotkey>{{63, 0}, {63, 0}}));
    EXPECT_EQ(pillTexts(), QStringList{"Fn"});
}

// Alone, a letter is no hotkey, Space is one, and Escape cancels; Escape with Command is one.
TEST_F(HotkeyFieldTest, ALetterAloneIsIgnoredSpaceAcceptedAndEscapeCancelsUnlessWithCommand) {
    startRecording();
    QTest::keyClick(capture(), Qt::Key_K);
    EXPECT_TRUE(field->isRecording());
    EXPECT_FALSE(hotkeyStored());
    EXPECT_TRUE(reported.isEmpty());

    QTest::keyClick(capture(), Qt::Key_Space);
    EXPECT_EQ(stored(), Hotkey(49, 0));
    EXPECT_EQ(reported, (QList<Hotkey>{{49, 0}}));
    EXPECT_FALSE(field->isRecording());

    startRecording();
    QTest::keyClick(capture(), Qt::Key_Escape);
    EXPECT_FALSE(field->isRecording());
    EXPECT_EQ(stored(), Hotkey(49, 0));
    EXPECT_EQ(reported.size(), 1);

    startRecording();
    pressKey(capture(), Qt::Key_Escape, Qt::MetaModifier);
    EXPECT_EQ(stored(), Hotkey(53, 256));
}

TEST_F(HotkeyFieldTest, AModifierHeldBeforeOrPressedAfterTheClickCombinesWithTheKey) {
    startRecording();
    // Option went down before the click: no modifier change arrives, only the Space press.
    pressKey(capture(), Qt::Key_Space, Qt::AltModifier, 0, " ");
    EXPECT_EQ(stored(), Hotkey(49, 2048));

    startRecording();
    pressKey(capture(), Qt::Key_Control);
    pressKey(capture(), Qt::Key_Shift, Qt::ControlModifier);
    pressKey(capture(), Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier, 0, "d");
    EXPECT_EQ(stored(), Hotkey(2, 4096 + 512));
    EXPECT_EQ(reported, (QList<Hotkey>{{49, 2048}, {2, 4608}}));
    EXPECT_FALSE(field->isRecording());
}

// The user held Option while clicking: letting it go is no choice of a hotkey.
TEST_F(HotkeyFieldTest, TheReleaseOfAModifierHeldBeforeTheClickIsIgnored) {
    startRecording();
    releaseKey(Qt::Key_Alt, Qt::AltModifier);
    EXPECT_TRUE(field->isRecording());
    EXPECT_FALSE(hotkeyStored());
    EXPECT_TRUE(reported.isEmpty());

    pressKey(capture(), Qt::Key_Shift);
    releaseKey(Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(stored(), Hotkey(56, 0));
}

// Control and Shift pressed together, or Control with a key the field does not take, name no
// lone modifier; the next modifier pressed and released alone does.
TEST_F(HotkeyFieldTest, AModifierWithAnotherKeyInBetweenIsNotRecordedAlone) {
    startRecording();
    pressControlAndShiftTogether();
    pressKey(capture(), Qt::Key_Alt);
    QTest::keyClick(capture(), Qt::Key_Escape, Qt::AltModifier);
    EXPECT_FALSE(field->isRecording()) << "Option+Escape is a hotkey";
    EXPECT_EQ(reported, (QList<Hotkey>{{53, 2048}}));

    startRecording();
    pressControlAndShiftTogether();
    EXPECT_TRUE(field->isRecording());
    pressKey(capture(), Qt::Key_Control);
    releaseKey(Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(stored(), Hotkey(59, 0));
    EXPECT_FALSE(field->isRecording());
}

TEST_F(HotkeyFieldTest, ControlCombinationsAreRecordedNotTakenByShortcuts) {
    int shortcutFired = 0;
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), &window);
    QObject::connect(shortcut, &QShortcut::activated, [&] { ++shortcutFired; });
    startRecording();
    // Control held before recording; the press is offered to the shortcuts first, as the
    // platform plugin does.
    QTest::simulateEvent(capture(), true, Qt::Key_K, Qt::ControlModifier, QString(), false);
    EXPECT_EQ(shortcutFired, 0);
    EXPECT_EQ(stored(), Hotkey(40, 4096));
}

// Quitting with the settings window open and the field recording closes the window in its
// destructor: the field must not build its face then.
TEST_F(HotkeyFieldTest, AWindowDestroyedWhileRecordingEndsCleanly) {
    auto other = std::make_unique<QWidget>();
    auto* recordingField = new HotkeyField(settings(), {}, other.get());
    other->show();
    recordingField->toggleRecording();
    ASSERT_TRUE(recordingField->isRecording());
    other.reset();
    settle();
    EXPECT_FALSE(hotkeyStored());
}

TEST_F(HotkeyFieldTest, LeavingTheScreenEndsRecordingWithoutStoring) {
    startRecording();
    window.hide();
    settle();
    EXPECT_FALSE(field->isRecording());
    EXPECT_EQ(field->captureView(), nullptr);
    EXPECT_FALSE(hotkeyStored());
    EXPECT_TRUE(reported.isEmpty());

    window.show();
    EXPECT_FALSE(field->isRecording());
    EXPECT_EQ(pillTexts(), (QStringList{"Alt", "Space"}));
}

TEST_F(HotkeyFieldTest, WhereOnlyCombinationsBindALoneModifierIsRefusedWithAMessage) {
    field->setCanBindLoneModifiers(false);
    startRecording();
    // A lone modifier is taken on its release: there it is refused instead.
    pressKey(capture(), Qt::Key_Alt, Qt::NoModifier, xRightAlt);
    sendKey(capture(), QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier, xRightAlt);
    pressKey(capture(), Qt::Key_unknown, Qt::NoModifier, xFn);
    sendKey(capture(), QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, xFn);
    settle();

    // Nothing stored, still recording, and the field says why.
    EXPECT_FALSE(hotkeyStored());
    EXPECT_TRUE(reported.isEmpty());
    EXPECT_TRUE(field->isRecording());
    EXPECT_EQ(field->notice(), qtTrId("hotkey.lone_modifier_unavailable"));

    // A combination is still taken, and the message goes.
    pressKey(capture(), Qt::Key_Space, Qt::AltModifier, 0, " ");
    settle();
    EXPECT_EQ(reported, (QList<Hotkey>{{49, 2048}}));
    EXPECT_TRUE(field->notice().isEmpty());
}

// GNOME holds the keys: the notice names its action, and its two choices work from the keyboard;
// another program's shortcut offers only the first, and a refused freeing says so.
TEST_F(HotkeyFieldTest, ADesktopConflictOffersAnotherHotkeyOrFreeingTheKeys) {
    int freed = 0;
    bool freeingWorks = true;
    field->show();
    field->showDesktopConflict(QStringLiteral("Activate the window menu"), [&] {
        ++freed;
        return freeingWorks;
    });
    EXPECT_EQ(field->notice(),
              qtTrId("hotkey.gnome.conflict").arg(QStringLiteral("Activate the window menu")));
    QAbstractButton* freeKeys = field->freeKeysButton();
    QAbstractButton* another = field->chooseAnotherButton();
    ASSERT_TRUE(freeKeys->isVisible());
    ASSERT_TRUE(another->isVisible());
    // Their names and roles are checked with the rest of the General section's tree.
    EXPECT_TRUE(freeKeys->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(another->focusPolicy() & Qt::TabFocus);

    freeKeys->setFocus();
    QTest::keyClick(freeKeys, Qt::Key_Space);
    EXPECT_EQ(freed, 1);

    freeingWorks = false;
    freeKeys->click();
    EXPECT_EQ(field->notice(), qtTrId("hotkey.gnome.free_failed"));
    EXPECT_FALSE(freeKeys->isVisible()) << "the choices belong to the conflict's notice";

    field->showDesktopConflict(QStringLiteral("Terminal"), {});
    EXPECT_FALSE(freeKeys->isVisible()) << "another program's shortcut is never taken";
    another->click();
    EXPECT_TRUE(field->isRecording());
}

// A binding the desktop removed is said under the field; with key repeat off, a note of its own
// says that only the double press records, whatever other notice shows.
TEST_F(HotkeyFieldTest, ARemovedBindingAndKeyRepeatOffAreSaidUnderTheField) {
    field->showTriggerChanged({});
    EXPECT_EQ(field->notice(), qtTrId("hotkey.portal.removed"));
    field->setHoldUnavailable(true);
    EXPECT_EQ(field->holdNote(), qtTrId("hotkey.gnome.hold_unavailable"));
    field->setNotice(QStringLiteral("something else"));
    EXPECT_EQ(field->holdNote(), qtTrId("hotkey.gnome.hold_unavailable"));
    field->setHoldUnavailable(false);
    EXPECT_TRUE(field->holdNote().isEmpty());
}

}  // namespace
