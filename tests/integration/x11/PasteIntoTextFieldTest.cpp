#include "base/QtScheduler.h"
#include "platform/x11/X11AccessibilityTrust.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/XdotoolScriptKeystroke.h"
#include "platform/x11/XTestKeystrokeSender.h"
#include "services/paste/ClipboardManager.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeKeystrokeSender.h"
#include "support/LogCapture.h"
#include "support/RequireEnvironment.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>

namespace {

constexpr int kDeadlineMs = 5000;
const QString kDictated = QStringLiteral("dictated words ");

// A copy holding rich text, plain text and an application's private format.
void copyPreviousContents() {
    auto* mime = new QMimeData;
    mime->setData(QStringLiteral("text/html"), QByteArrayLiteral("<i>previous</i> copy"));
    mime->setData(QStringLiteral("text/plain"), QByteArrayLiteral("previous copy"));
    mime->setData(QStringLiteral("application/x-quillo-test"), QByteArray("\x00\xff\x10", 3));
    QGuiApplication::clipboard()->setMimeData(mime);
}

void expectPreviousContentsBack() {
    // Qt learns of another connection's new clipboard owner from an event.
    const bool seen = QTest::qWaitFor(
        [] {
            const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
            return mime != nullptr && mime->hasFormat(QStringLiteral("text/html"));
        },
        kDeadlineMs);
    EXPECT_TRUE(seen);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->data(QStringLiteral("text/html")), QByteArrayLiteral("<i>previous</i> copy"));
    EXPECT_EQ(mime->data(QStringLiteral("text/plain")), QByteArrayLiteral("previous copy"));
    EXPECT_EQ(mime->data(QStringLiteral("application/x-quillo-test")),
              QByteArray("\x00\xff\x10", 3));
    EXPECT_FALSE(mime->hasFormat(QStringLiteral("x-kde-passwordManagerHint")));
}

// Waits for the task while the field receives its key events and the clipboard its requests.
bool finishes(QCoro::Task<void>& task) {
    return QTest::qWaitFor([&task] { return task.isReady(); }, kDeadlineMs);
}

class PasteIntoTextFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(RequireEnvironment::hasXWindows(),
                            "the X display of scripts/with-test-env.sh");
        field.setWindowTitle(QStringLiteral("paste target"));
        field.resize(400, 40);
        field.show();
        field.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&field, kDeadlineMs));
        field.setFocus();
        ASSERT_TRUE(QTest::qWaitFor([this] { return field.hasFocus(); }, kDeadlineMs));
        copyPreviousContents();
    }

    LogCapture log;
    QtScheduler scheduler;
    X11Pasteboard pasteboard;
    XdotoolScriptKeystroke xdotool;
    QLineEdit field;
};

// Records the Insert presses that reach a widget.
class KeyPressRecorder final : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Insert) {
                insertModifiers.append(key->modifiers());
            }
        }
        return QObject::eventFilter(watched, event);
    }
    QList<Qt::KeyboardModifiers> insertModifiers;
};

void setWindowClass(WId window, const QByteArray& wmClass) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window),
                        XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, wmClass.size(), wmClass.constData());
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    xcb_disconnect(connection);
}

}  // namespace

TEST_F(PasteIntoTextFieldTest, TheFocusedFieldReceivesTheTextAndTheOldCopyComesBackWhole) {
    XTestKeystrokeSender keystrokes;
    X11AccessibilityTrust trust;
    ASSERT_TRUE(trust.isTrustedWithPrompt()) << "Xvfb offers XTEST";
    ClipboardManager manager(pasteboard, keystrokes, xdotool, trust, scheduler);

    const auto started = scheduler.now();
    QCoro::Task<void> task = manager.pasteText(kDictated);
    ASSERT_TRUE(finishes(task));
    EXPECT_GE(scheduler.now() - started, std::chrono::milliseconds(550));
    EXPECT_EQ(field.text(), kDictated);
    expectPreviousContentsBack();
    EXPECT_EQ(log.lines(),
              QStringList({"[ClipboardManager] CGEvent ⌘V posted (Accessibility: true)",
                           "[ClipboardManager] Text pasted successfully"}));
}

TEST_F(PasteIntoTextFieldTest, WithXTestDeniedXdotoolPastesAndTheOldCopyComesBack) {
    FakeKeystrokeSender refusing(scheduler);
    refusing.refuses = true;
    FakeAccessibilityTrust untrusted(false);
    ClipboardManager manager(pasteboard, refusing, xdotool, untrusted, scheduler);

    QCoro::Task<void> task = manager.pasteText(kDictated);
    ASSERT_TRUE(finishes(task));
    EXPECT_EQ(field.text(), kDictated);
    expectPreviousContentsBack();
    EXPECT_EQ(log.lines(), QStringList({"[ClipboardManager] CGEvent creation failed",
                                        "[ClipboardManager] Trying AppleScript fallback...",
                                        "[ClipboardManager] AppleScript result: success",
                                        "[ClipboardManager] Text pasted successfully"}));
}

TEST_F(PasteIntoTextFieldTest, ATerminalGetsShiftInsert) {
    KeyPressRecorder recorder;
    field.installEventFilter(&recorder);
    setWindowClass(field.winId(), QByteArray("urxvt\0URxvt\0", 12));
    XTestKeystrokeSender keystrokes;
    ASSERT_EQ(keystrokes.chordForFocusedWindow(), PasteChord::ShiftInsert);
    ASSERT_EQ(keystrokes.postPasteChord(PasteChord::ShiftInsert), KeystrokeSender::Result::Sent);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.insertModifiers.isEmpty(); }, kDeadlineMs));
    EXPECT_EQ(recorder.insertModifiers.first(), Qt::ShiftModifier);
}

TEST(PasteX11Parts, ModifierStateComesFromTheServer) {
    REQUIRE_ENVIRONMENT(RequireEnvironment::hasXServer(),
                        "the X display of scripts/with-test-env.sh");
    XTestKeystrokeSender keystrokes;
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {"keydown", "alt"}), 0);
    const KeystrokeSender::Modifiers held = keystrokes.currentModifiers();
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {"keyup", "alt"}), 0);
    EXPECT_EQ(held, KeystrokeSender::Option);
    EXPECT_EQ(keystrokes.currentModifiers(), 0u);
}

TEST(PasteX11Parts, AHelperThatCannotStartIsReportedWithTheReason) {
    XdotoolScriptKeystroke missing(QStringLiteral("/nonexistent/xdotool"));
    const ScriptKeystroke::Outcome outcome =
        QCoro::waitFor(missing.pressPasteChord(PasteChord::ControlV));
    EXPECT_FALSE(outcome.launched);
    EXPECT_FALSE(outcome.launchError.isEmpty());
}
