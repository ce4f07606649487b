#include "base/QtScheduler.h"
#include "platform/x11/X11AccessibilityTrust.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/XdotoolScriptKeystroke.h"
#include "platform/x11/XTestKeystrokeSender.h"
#include "services/paste/ClipboardManager.h"
#include "support/ChildProcess.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/FakeKeystrokeSender.h"
#include "support/LogCapture.h"
#include "support/X11TestClient.h"
#include "support/RequireEnvironment.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/resource.h>

using namespace std::chrono_literals;
using Selection = Pasteboard::Selection;

namespace {

constexpr quint8 kLeftAlt = 64;
const QString kDictated = QStringLiteral("dictated words ");

Pasteboard::Contents richCopy() {
    return {{QStringLiteral("text/html"), QByteArrayLiteral("<i>previous</i> copy")},
            {QStringLiteral("UTF8_STRING"), QByteArrayLiteral("previous copy")},
            {QStringLiteral("application/x-quillo-test"), QByteArray("\x00\xff\x10", 3)}};
}

// What a selection holds now, as another program reads it.
Pasteboard::Saved readBack(Selection selection,
                           Pasteboard::Budget budget = ClipboardManager::kSaveBudget) {
    X11Pasteboard reader;
    return QCoro::waitFor(reader.save(selection, budget));
}

// The paste target: tests/support/child/PasteTargetChild.cpp in a process of its own.
ChildProcess pasteTarget(const QStringList& arguments = {}) {
    return ChildProcess(QStringLiteral(QUILLO_BINARY_DIR "/tests/paste_target_child"), arguments);
}

// Another program that has copied something earlier.
class PreviousOwner {
public:
    void copy(const Pasteboard::Contents& contents, Selection selection = Selection::Clipboard) {
        pasteboard_.restore(selection, contents);
    }

private:
    X11Pasteboard pasteboard_;
};

// A hostile owner: it offers image/png and a caption, announces the image as a small INCR
// transfer, then sends one increment far larger than announced.
class OversizedIncrementOwner {
public:
    explicit OversizedIncrementOwner(qsizetype incrementBytes) : increment_(incrementBytes, 'x') {
        c_ = xcb_connect(nullptr, nullptr);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        window_ = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_set_selection_owner(c_, window_, atom("CLIPBOARD"), XCB_CURRENT_TIME);
        xcb_flush(c_);
        notifier_ =
            std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(c_), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { serve(); });
    }
    ~OversizedIncrementOwner() {
        notifier_.reset();
        xcb_disconnect(c_);
    }
    bool sentIncrement() const { return sent_; }

private:
    xcb_atom_t atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            c_, xcb_intern_atom(c_, 0, quint16(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    }

    void serve() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
            const quint8 type = event->response_type & 0x7f;
            if (type == XCB_SELECTION_REQUEST) {
                answer(*reinterpret_cast<xcb_selection_request_event_t*>(event));
            } else if (type == XCB_PROPERTY_NOTIFY) {
                const auto& notify = *reinterpret_cast<xcb_property_notify_event_t*>(event);
                // The reader deleted the INCR announcement: it wants the first increment.
                if (notify.window == requestor_ && notify.atom == property_ &&
                    notify.state == XCB_PROPERTY_DELETE && !sent_) {
                    sent_ = true;
                    sendIncrementInPieces();
                }
            }
            std::free(event);
        }
        xcb_flush(c_);
    }

    void answer(const xcb_selection_request_event_t& request) {
        const xcb_atom_t png = atom("image/png");
        const xcb_atom_t utf8 = atom("UTF8_STRING");
        if (request.target == atom("TARGETS")) {
            const xcb_atom_t targets[] = {atom("TARGETS"), png, utf8};
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                                XCB_ATOM_ATOM, 32, 3, targets);
        } else if (request.target == png) {
            requestor_ = request.requestor;
            property_ = request.property;
            const quint32 events = XCB_EVENT_MASK_PROPERTY_CHANGE;
            xcb_change_window_attributes(c_, requestor_, XCB_CW_EVENT_MASK, &events);
            const quint32 announced = 1024;
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, requestor_, property_, atom("INCR"), 32,
                                1, &announced);
        } else if (request.target == utf8) {
            xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                                utf8, 8, 7, "caption");
        }
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = request.property;
        xcb_send_event(c_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&notify));
    }

    // One increment, written in pieces under a server grab so the reader sees it only whole.
    void sendIncrementInPieces() {
        const xcb_atom_t png = atom("image/png");
        constexpr qsizetype piece = 4 * 1024 * 1024;
        xcb_grab_server(c_);
        for (qsizetype at = 0; at < increment_.size(); at += piece) {
            const auto length = quint32(qMin(piece, increment_.size() - at));
            xcb_change_property(c_, at == 0 ? XCB_PROP_MODE_REPLACE : XCB_PROP_MODE_APPEND,
                                requestor_, property_, png, 8, length, increment_.constData() + at);
        }
        xcb_ungrab_server(c_);
    }

    QByteArray increment_;
    xcb_connection_t* c_ = nullptr;
    xcb_window_t window_ = 0;
    xcb_window_t requestor_ = 0;
    xcb_atom_t property_ = 0;
    bool sent_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};

qint64 peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool finishes(QCoro::Task<void>& task) {
    return waitUntil([&task] { return task.isReady(); }, 10s);
}

class PasteIntoAnotherClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(RequireEnvironment::hasXServer(),
                            "the X display of scripts/with-test-env.sh");
    }

    LogCapture log;
    QtScheduler scheduler;
    X11Pasteboard pasteboard;
    XTestKeystrokeSender keystrokes;
    XdotoolScriptKeystroke xdotool;
    X11AccessibilityTrust trust;
    ClipboardManager manager{pasteboard, keystrokes, xdotool, trust, scheduler};
};

}  // namespace

// The old copy comes back once the target has fetched the text, and not before the earliest
// restore even when it fetched at once.
TEST_F(PasteIntoAnotherClientTest, TheTargetGetsTheDictationAndThenTheOldCopyComesBack) {
    struct Target {
        QStringList arguments;
        qint64 earliestRestoreMs;
    };
    for (const Target& kind :
         {Target{{}, 50 + 500},
          Target{{QStringLiteral("--fetch-delay"), QStringLiteral("800")}, 50 + 800 + 200}}) {
        SCOPED_TRACE(kind.arguments.join(' ').toStdString());
        log.clear();
        PreviousOwner previous;
        previous.copy(richCopy());
        ChildProcess target = pasteTarget(kind.arguments);
        ASSERT_TRUE(target.waitForLine(QStringLiteral("ready")));

        QElapsedTimer clock;
        clock.start();
        QCoro::Task<void> task = manager.pasteText(kDictated);
        ASSERT_TRUE(finishes(task));
        EXPECT_GE(clock.elapsed(), kind.earliestRestoreMs);
        EXPECT_EQ(target.waitForLineStartingWith(QStringLiteral("pasted")),
                  QStringLiteral("pasted clipboard ") + kDictated);
        EXPECT_EQ(readBack(Selection::Clipboard).contents, richCopy());
        EXPECT_EQ(log.lines(),
                  QStringList({"[ClipboardManager] CGEvent ⌘V posted (Accessibility: true)",
                               "[ClipboardManager] Text pasted successfully"}));
    }
}

TEST_F(PasteIntoAnotherClientTest, WithXTestDeniedXdotoolPastesAndTheOldCopyComesBack) {
    FakeKeystrokeSender refusing(scheduler);
    refusing.refuses = true;
    FakeAccessibilityTrust untrusted(false);
    ClipboardManager fallback(pasteboard, refusing, xdotool, untrusted, scheduler);
    PreviousOwner previous;
    previous.copy(richCopy());
    ChildProcess target = pasteTarget();
    ASSERT_TRUE(target.waitForLine(QStringLiteral("ready")));

    QCoro::Task<void> task = fallback.pasteText(kDictated);
    ASSERT_TRUE(finishes(task));
    EXPECT_EQ(target.waitForLineStartingWith(QStringLiteral("pasted")),
              QStringLiteral("pasted clipboard ") + kDictated);
    EXPECT_EQ(readBack(Selection::Clipboard).contents, richCopy());
    EXPECT_EQ(log.lines(), QStringList({"[ClipboardManager] CGEvent creation failed",
                                        "[ClipboardManager] Trying AppleScript fallback...",
                                        "[ClipboardManager] AppleScript result: success",
                                        "[ClipboardManager] Text pasted successfully"}));
}

TEST_F(PasteIntoAnotherClientTest, ATerminalGetsShiftInsertAndBothSelectionsComeBack) {
    PreviousOwner previous;
    previous.copy(richCopy());
    const Pasteboard::Contents selected{{QStringLiteral("UTF8_STRING"), "selected words"}};
    previous.copy(selected, Selection::Primary);
    ChildProcess terminal = pasteTarget({QStringLiteral("--terminal")});
    ASSERT_TRUE(terminal.waitForLine(QStringLiteral("ready")));

    QCoro::Task<void> task = manager.pasteText(kDictated);
    ASSERT_TRUE(finishes(task));
    EXPECT_EQ(terminal.waitForLineStartingWith(QStringLiteral("key insert")),
              QStringLiteral("key insert 1"))
        << "Shift alone with Insert";
    EXPECT_EQ(terminal.waitForLineStartingWith(QStringLiteral("pasted")),
              QStringLiteral("pasted primary ") + kDictated);
    EXPECT_EQ(readBack(Selection::Clipboard).contents, richCopy());
    EXPECT_EQ(readBack(Selection::Primary).contents, selected);
}

TEST_F(PasteIntoAnotherClientTest, AHeldAltIsLiftedAroundTheChordAndPressedAgain) {
    ChildProcess target = pasteTarget();
    ASSERT_TRUE(target.waitForLine(QStringLiteral("ready")));
    X11TestClient user;
    user.press(kLeftAlt);
    const KeystrokeSender::Result result = keystrokes.postPasteChord(PasteChord::ControlV);
    const KeystrokeSender::Modifiers heldAfter = keystrokes.currentModifiers();
    user.release(kLeftAlt);

    EXPECT_EQ(result, KeystrokeSender::Result::Sent);
    EXPECT_EQ(target.waitForLineStartingWith(QStringLiteral("key v")), QStringLiteral("key v 4"))
        << "Control only";
    EXPECT_EQ(heldAfter, KeystrokeSender::Option) << "the user still holds Alt";
    EXPECT_EQ(keystrokes.currentModifiers(), 0u) << "read from the server, not remembered";
}

TEST_F(PasteIntoAnotherClientTest, UnderARussianLayoutTheChordGoesOutWithoutTheFallback) {
    const QString display = qEnvironmentVariable("DISPLAY");
    ASSERT_EQ(QProcess::execute("setxkbmap", {"-display", display, "-layout", "ru,us"}), 0);
    ChildProcess target = pasteTarget();
    ASSERT_TRUE(target.waitForLine(QStringLiteral("ready")));
    const KeystrokeSender::Result result = keystrokes.postPasteChord(PasteChord::ControlV);
    const std::optional<QString> key = target.waitForLineStartingWith(QStringLiteral("key v"));
    ASSERT_EQ(QProcess::execute("setxkbmap", {"-display", display, "-layout", "us"}), 0);

    EXPECT_EQ(result, KeystrokeSender::Result::Sent);
    EXPECT_EQ(key, QStringLiteral("key v 4")) << "the key that is v in the Latin group";
}

TEST_F(PasteIntoAnotherClientTest, SavingFromADeadOwnerCostsOnlyTheBudgetAndNeverTheMainThread) {
    // An owner that never answers: it takes the clipboard and reads no events.
    xcb_connection_t* dead = xcb_connect(nullptr, nullptr);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(dead)).data;
    const xcb_window_t window = xcb_generate_id(dead);
    xcb_create_window(dead, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_intern_atom_reply_t* clipboard =
        xcb_intern_atom_reply(dead, xcb_intern_atom(dead, 0, 9, "CLIPBOARD"), nullptr);
    xcb_set_selection_owner(dead, window, clipboard->atom, XCB_CURRENT_TIME);
    std::free(clipboard);
    std::free(xcb_get_input_focus_reply(dead, xcb_get_input_focus(dead), nullptr));

    // The main thread goes on while the save waits: a timer set after the save began runs
    // before it ends, however slowly this machine runs.
    X11Pasteboard reader;
    QElapsedTimer clock;
    clock.start();
    QCoro::Task<Pasteboard::Saved> saving = reader.save(Selection::Clipboard, {300ms, 1024});
    bool ranWhileSaving = false;
    QObject timerOwner;  // the timer ends with the test even if it never ran
    QTimer::singleShot(0, &timerOwner, [&] { ranWhileSaving = !saving.isReady(); });
    ASSERT_TRUE(waitUntil([&] { return saving.isReady(); }, 5s)) << "the budget was ignored";
    const qint64 took = clock.elapsed();
    const Pasteboard::Saved saved = QCoro::waitFor(saving);
    xcb_disconnect(dead);
    std::printf("[ figure   ] a dead owner cost %lld ms for a 300 ms budget\n",
                static_cast<long long>(took));

    EXPECT_FALSE(saved.contents.has_value());
    ASSERT_EQ(saved.givenUp.size(), 1);
    EXPECT_TRUE(saved.givenUp[0].format.isEmpty());
    EXPECT_GE(took, 300) << "the owner had its whole budget";
    EXPECT_TRUE(ranWhileSaving) << "the main thread went on meanwhile";
}

TEST_F(PasteIntoAnotherClientTest, LargeFormatsComeInIncrementsAndWhatExceedsTheBudgetIsLeftOut) {
    QByteArray picture(3 * 1024 * 1024 + 17, '\0');
    for (qsizetype i = 0; i < picture.size(); ++i) {
        picture[i] = static_cast<char>(i * 7);
    }
    const Pasteboard::Contents copy{{QStringLiteral("UTF8_STRING"), "caption"},
                                    {QStringLiteral("image/png"), picture},
                                    {QStringLiteral("image/bmp"), QByteArray(5 << 20, 'b')}};
    PreviousOwner previous;
    previous.copy(copy);

    const Pasteboard::Saved saved = readBack(Selection::Clipboard, {5s, 4 << 20});
    ASSERT_TRUE(saved.contents.has_value());
    EXPECT_EQ(*saved.contents, Pasteboard::Contents(copy.mid(0, 2)));
    ASSERT_EQ(saved.givenUp.size(), 1);
    EXPECT_EQ(saved.givenUp[0].format, QStringLiteral("image/bmp"));
    EXPECT_EQ(saved.givenUp[0].reason, Pasteboard::GivenUp::Reason::TooLarge);
}

TEST_F(PasteIntoAnotherClientTest, AnOversizedIncrementIsGivenUpWithoutBeingFetched) {
    constexpr qsizetype kIncrement = 48 * 1024 * 1024;
    // Time enough for the owner, in this very thread, to write its increment on a busy machine:
    // the bound under test is the memory.
    const Pasteboard::Budget budget{60s, 1024 * 1024};
    OversizedIncrementOwner hostile(kIncrement);
    const qint64 peakBefore = peakResidentKiB();

    const Pasteboard::Saved saved = readBack(Selection::Clipboard, budget);

    EXPECT_TRUE(hostile.sentIncrement());
    ASSERT_TRUE(saved.contents.has_value());
    EXPECT_EQ(*saved.contents, (Pasteboard::Contents{{QStringLiteral("UTF8_STRING"), "caption"}}))
        << "the format after it is still read";
    ASSERT_EQ(saved.givenUp.size(), 1);
    EXPECT_EQ(saved.givenUp[0].format, QStringLiteral("image/png"));
    EXPECT_EQ(saved.givenUp[0].reason, Pasteboard::GivenUp::Reason::TooLarge);
    // Fetching the increment would have raised the peak by its size at least.
    const qint64 grewKiB = peakResidentKiB() - peakBefore;
    std::printf("peak resident memory grew by %lld KiB while reading a %lld MiB increment\n",
                static_cast<long long>(grewKiB), static_cast<long long>(kIncrement >> 20));
    EXPECT_LT(grewKiB, 16 * 1024);
}

TEST(PasteX11Parts, AHelperThatCannotStartIsReportedWithTheReason) {
    XdotoolScriptKeystroke missing(QStringLiteral("/nonexistent/xdotool"));
    const ScriptKeystroke::Outcome outcome =
        QCoro::waitFor(missing.pressPasteChord(PasteChord::ControlV));
    EXPECT_FALSE(outcome.launched);
    EXPECT_FALSE(outcome.launchError.isEmpty());
}
