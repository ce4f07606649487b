#include "platform/wayland/CommandHotkeyBackend.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

namespace {

constexpr HotkeyId quillo{fourCharCode("QUIL"), 1};

class CommandHotkeyBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        handler = backend.installHandler([this](const HotkeyEvent& event) {
            events.append(event.kind);
            EXPECT_EQ(event.id, quillo);
            return true;
        });
        registration = backend.registerHotkey(49, 2048, quillo);
        ASSERT_TRUE(registration.succeeded());
    }

    ManualScheduler scheduler;
    CommandHotkeyBackend backend{scheduler};
    GlobalHotkeyBackend::Outcome handler;
    GlobalHotkeyBackend::Outcome registration;
    QList<HotkeyEventKind> events;
};

using Kinds = QList<HotkeyEventKind>;
constexpr auto pressed = HotkeyEventKind::pressed;
constexpr auto released = HotkeyEventKind::released;

}  // namespace

TEST_F(CommandHotkeyBackendTest, OneHoldIsOnePressAndOneRelease) {
    backend.press();
    backend.press();  // a binding that repeats while held
    backend.press();
    backend.release();
    EXPECT_EQ(events, (Kinds{pressed, released}));
    const auto combination = backend.registeredCombination();
    ASSERT_TRUE(combination.has_value());
    EXPECT_EQ(combination->keyCode, 49u);
    EXPECT_EQ(combination->carbonModifiers, 2048u);
}

TEST_F(CommandHotkeyBackendTest, AReleaseThatOvertookItsPressCompletesItWithinItsWindowOnly) {
    backend.release();
    EXPECT_TRUE(events.isEmpty());
    scheduler.advance(CommandHotkeyBackend::kOvertakingReleaseWindow -
                      std::chrono::milliseconds(1));
    backend.press();
    EXPECT_EQ(events, (Kinds{pressed, released})) << "a quick tap whose commands arrived swapped";
    backend.press();
    backend.release();
    EXPECT_EQ(events, (Kinds{pressed, released, pressed, released}));

    // A stray release is forgotten once its window has passed: the next press is a held key.
    backend.release();
    scheduler.advance(CommandHotkeyBackend::kOvertakingReleaseWindow);
    backend.press();
    EXPECT_EQ(events, (Kinds{pressed, released, pressed, released, pressed}));
}

TEST_F(CommandHotkeyBackendTest, NothingIsDeliveredWithoutARegistration) {
    registration.registration.reset();
    EXPECT_FALSE(backend.registeredCombination().has_value());
    backend.press();
    backend.release();
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(CommandHotkeyBackendTest, ARemovedHandlerHearsNothingAndANewRegistrationStartsReleased) {
    backend.press();
    registration = backend.registerHotkey(0, 256, quillo);  // the hotkey changed while held
    backend.press();
    EXPECT_EQ(events, (Kinds{pressed, pressed}));
    handler.registration.reset();
    backend.release();
    EXPECT_EQ(events.size(), 2);
}
