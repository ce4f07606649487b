#include "base/QtScheduler.h"
#include "platform/x11/X11ModifierEventSource.h"
#include "platform/x11/XTestKeystrokeSender.h"
#include "services/hotkey/ModifierHotkeyManager.h"
#include "support/FakeAccessibilityTrust.h"
#include "support/LogCapture.h"
#include "support/NestedXServer.h"
#include "support/X11TestClient.h"
#include "support/RequireEnvironment.h"

#include <QList>

#include <xcb/xcb.h>
#include <xcb/xinput.h>
#include <xcb/xtest.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace std::chrono_literals;

namespace {

constexpr quint8 xRightAlt = 108;
constexpr quint8 xLeftShift = 50;
constexpr quint8 xLeftControl = 37;

struct Seen {
    int keyCode;
    quint64 flags;
    bool operator==(const Seen&) const = default;
};

// A second seat on the nested display: a master keyboard of its own, whose own XTest device
// this connection's synthetic keys go through once its pointer is the client pointer.
class SecondSeat {
public:
    explicit SecondSeat(const QByteArray& display)
        : connection_(xcb_connect(display.constData(), nullptr)) {
        if (xcb_connection_has_error(connection_))
            return;
        static constexpr char name[] = "Second seat";
        constexpr quint16 nameLength = sizeof(name) - 1;
        QByteArray change(sizeof(xcb_input_add_master_t) + ((nameLength + 3) & ~3), '\0');
        xcb_input_add_master_t head{XCB_INPUT_HIERARCHY_CHANGE_TYPE_ADD_MASTER,
                                    quint16(change.size() / 4), nameLength, 1, 1};
        std::memcpy(change.data(), &head, sizeof head);
        std::memcpy(change.data() + sizeof head, name, nameLength);
        xcb_generic_error_t* error = xcb_request_check(
            connection_,
            xcb_input_xi_change_hierarchy_checked(
                connection_, 1,
                reinterpret_cast<const xcb_input_hierarchy_change_t*>(change.constData())));
        std::free(error);
        if (error)
            return;
        const int pointer = deviceNamed("Second seat pointer");
        if (pointer < 0)
            return;
        error = xcb_request_check(connection_, xcb_input_xi_set_client_pointer_checked(
                                                   connection_, XCB_NONE, quint16(pointer)));
        std::free(error);
        ready_ = !error;
    }
    ~SecondSeat() { xcb_disconnect(connection_); }

    bool isReady() const { return ready_; }
    void type(quint8 xKeyCode) {
        for (quint8 type : {XCB_KEY_PRESS, XCB_KEY_RELEASE}) {
            xcb_test_fake_input(connection_, type, xKeyCode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        }
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

private:
    int deviceNamed(const QByteArray& wanted) {
        auto* devices = xcb_input_xi_query_device_reply(
            connection_, xcb_input_xi_query_device(connection_, XCB_INPUT_DEVICE_ALL), nullptr);
        int found = -1;
        for (auto it = xcb_input_xi_query_device_infos_iterator(devices); devices && it.rem;
             xcb_input_xi_device_info_next(&it)) {
            const QByteArray name(xcb_input_xi_device_info_name(it.data),
                                  xcb_input_xi_device_info_name_length(it.data));
            if (name == wanted)
                found = it.data->deviceid;
        }
        std::free(devices);
        return found;
    }

    xcb_connection_t* connection_;
    bool ready_ = false;
};

// The watch runs on a nested X server: there the user's keys come from a keyboard driver, as
// on a real desktop, while our own paste chord and other XTest input come from the server's
// XTest device (the test display itself has only XTest devices that can make events).
class ModifierWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_ENVIRONMENT(RequireEnvironment::hasXServer(),
                            "the X display of scripts/with-test-env.sh");
        X11TestClient host;
        ASSERT_TRUE(host.isConnected());
        ASSERT_TRUE(nested.isRunning())
            << "needs Xephyr (scripts/setup.sh): " << nested.output().toStdString();
        source = std::make_unique<X11ModifierEventSource>(nested.displayName());
        subscription = source->subscribe([this](const ModifierChange& change) {
            seen.append({change.keyCode, change.flags});
        });
        ASSERT_TRUE(subscription.isSet());
    }
    void TearDown() override {
        if (manager)
            manager->stop();
    }

    // A modifier-only hotkey on the watch, reporting "down" and "up".
    void startHotkey(int keyCode) {
        manager = std::make_unique<ModifierHotkeyManager>(*source, trust, QtScheduler::instance());
        manager->configure(keyCode);
        manager->onKeyDown = [this] { reports.append("down"); };
        manager->onKeyUp = [this] { reports.append("up"); };
        ASSERT_TRUE(manager->start());
    }

    NestedXServer nested;
    QList<Seen> seen;
    QStringList reports;
    FakeAccessibilityTrust trust;
    std::unique_ptr<X11ModifierEventSource> source;
    ScopedRegistration subscription;
    std::unique_ptr<ModifierHotkeyManager> manager;
};

TEST_F(ModifierWatchTest, ReportsRightAltWithItsOwnCodeAndTheFullMask) {
    nested.press(xLeftShift);
    nested.press(xRightAlt);
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 2; }));
    EXPECT_TRUE(source->isKeyDown(61));
    nested.release(xRightAlt);
    nested.release(xLeftShift);
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 4; }));
    EXPECT_FALSE(source->isKeyDown(61));

    EXPECT_EQ(seen, QList<Seen>({{56, 0x20000}, {61, 0xA0000}, {61, 0x20000}, {56, 0}}));
}

TEST_F(ModifierWatchTest, RightOptionHotkeyGivesOneDownAndOneUpPerPress) {
    LogCapture log;
    ASSERT_NO_FATAL_FAILURE(startHotkey(61));

    nested.press(xRightAlt);
    ASSERT_TRUE(waitUntil([&] { return reports.size() == 1; }));
    nested.release(xRightAlt);
    ASSERT_TRUE(waitUntil([&] { return reports.size() == 2; }));
    runEventLoopFor(100ms);
    EXPECT_EQ(reports, QStringList({"down", "up"}));
    EXPECT_TRUE(log.contains("[ModifierHotkey] CGEvent: key DOWN (keyCode=61)"));
    EXPECT_TRUE(log.contains("[ModifierHotkey] >>> TARGET KEY UP (keyCode=61)"));
}

// A lone left Control hotkey: the paste chord presses Control_L, terminals' chords Shift_L.
// Neither may look like the user's press; the user's own Control afterwards still counts.
TEST_F(ModifierWatchTest, OurPasteChordAndOtherXTestInputStartNoGesture) {
    ASSERT_NO_FATAL_FAILURE(startHotkey(59));

    XTestKeystrokeSender paste(nested.displayName());
    ASSERT_EQ(paste.postPasteChord(PasteChord::ControlV), KeystrokeSender::Result::Sent);
    X11TestClient synthetic(nested.displayName());
    ASSERT_TRUE(synthetic.isConnected());
    synthetic.press(xLeftShift);
    synthetic.release(xLeftShift);

    // The user's press comes after the synthetic ones: once it is seen, they were too.
    nested.press(xLeftControl);
    ASSERT_TRUE(waitUntil([&] { return !seen.isEmpty() && reports.contains("down"); }));
    nested.release(xLeftControl);
    ASSERT_TRUE(waitUntil([&] { return reports.size() == 2; }));
    EXPECT_EQ(seen, QList<Seen>({{59, 0x40000}, {59, 0}}));
    EXPECT_EQ(reports, QStringList({"down", "up"}));
}

// The user holds Control while a paste goes out: the chord's synthetic release of Control
// does not end the user's press.
TEST_F(ModifierWatchTest, AUsersHeldModifierOutlastsThePasteChord) {
    nested.press(xLeftControl);
    ASSERT_TRUE(waitUntil([&] { return seen.size() == 1; }));

    XTestKeystrokeSender paste(nested.displayName());
    ASSERT_EQ(paste.postPasteChord(PasteChord::ControlV), KeystrokeSender::Result::Sent);
    nested.press(xLeftShift);
    ASSERT_TRUE(waitUntil([&] { return seen.size() >= 2; }));
    nested.release(xLeftShift);
    nested.release(xLeftControl);
    ASSERT_TRUE(waitUntil([&] { return seen.size() >= 4; }));
    runEventLoopFor(100ms);

    EXPECT_EQ(seen, QList<Seen>({{59, 0x40000}, {56, 0x60000}, {56, 0x40000}, {59, 0}}));
}

// A second seat added while the watch runs brings an XTest device of its own: the watch
// learns of it from the device hierarchy and ignores it as well.
TEST_F(ModifierWatchTest, AnXTestDeviceAddedWhileWatchingIsIgnoredToo) {
    SecondSeat seat(nested.displayName());
    ASSERT_TRUE(seat.isReady());
    seat.type(xLeftControl);

    nested.press(xLeftShift);
    nested.release(xLeftShift);
    ASSERT_TRUE(waitUntil([&] { return seen.size() >= 2; }));
    runEventLoopFor(100ms);
    EXPECT_EQ(seen, QList<Seen>({{56, 0x20000}, {56, 0}}));
}

}  // namespace
