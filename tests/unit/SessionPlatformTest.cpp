#include "app/SessionPlatform.h"
#include "platform/SessionNotes.h"
#include "platform/wayland/CommandHotkeyBackend.h"
#include "platform/wayland/PortalRemoteDesktopKeystrokeSender.h"
#include "platform/x11/X11GlobalHotkeyBackend.h"
#include "platform/x11/X11ModifierEventSource.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/XTestKeystrokeSender.h"
#include "support/GnomeTestSettings.h"
#include "support/InMemoryDefaultsStore.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

namespace {

SessionEnvironment session(const char* type, const char* wayland, const char* desktop,
                           const char* display = ":0") {
    return {QString::fromLatin1(type), QString::fromLatin1(wayland), QString::fromLatin1(desktop),
            QString::fromLatin1(display)};
}

}  // namespace

TEST(SessionPlatform, TheSessionTypeAndDesktopChooseTheLayer) {
    EXPECT_EQ(SessionPlatform::kindOf(session("x11", "", "KDE")), SessionKind::x11);
    EXPECT_EQ(SessionPlatform::kindOf(session("x11", "wayland-0", "KDE")), SessionKind::x11)
        << "a Wayland socket left in an X11 session's environment";
    EXPECT_EQ(SessionPlatform::kindOf(session("", "", "")), SessionKind::x11)
        << "nothing said: X11";
    EXPECT_EQ(SessionPlatform::kindOf(session("wayland", "wayland-0", "KDE")), SessionKind::kde);
    EXPECT_EQ(SessionPlatform::kindOf(session("Wayland", "", "ubuntu:GNOME")), SessionKind::gnome);
    EXPECT_EQ(SessionPlatform::kindOf(session("wayland", "wayland-1", "sway")),
              SessionKind::wlroots);
    EXPECT_EQ(SessionPlatform::kindOf(session("", "wayland-1", "")), SessionKind::wlroots)
        << "a compositor started by hand sets no session type";
    EXPECT_EQ(SessionPlatform::kindOf(session("tty", "wayland-1", "KDEish")), SessionKind::wlroots)
        << "desktop names match whole entries only";
}

TEST(SessionPlatform, WindowsGoThroughXWaylandWhereThereIsOne) {
    EXPECT_EQ(SessionPlatform::qtPlatformFor(session("wayland", "wayland-0", "sway", ":1")),
              QByteArray("xcb"));
    EXPECT_TRUE(
        SessionPlatform::qtPlatformFor(session("wayland", "wayland-0", "sway", "")).isEmpty());
    EXPECT_TRUE(SessionPlatform::qtPlatformFor(session("x11", "", "", ":0")).isEmpty())
        << "X11 sessions keep Qt's own choice";
}

TEST(SessionPlatform, AnX11SessionKeepsTheX11PartsAndHasNothingToSay) {
    ManualScheduler scheduler;
    InMemoryDefaultsStore store;
    SessionPlatform platform(session("x11", "", "XFCE"), scheduler, store);
    EXPECT_NE(dynamic_cast<X11GlobalHotkeyBackend*>(&platform.hotkeyBackend()), nullptr);
    EXPECT_NE(dynamic_cast<XTestKeystrokeSender*>(&platform.keystrokes()), nullptr);
    EXPECT_NE(dynamic_cast<X11Pasteboard*>(&platform.pasteboard()), nullptr);
    EXPECT_EQ(platform.commandHotkeys(), nullptr);
    EXPECT_TRUE(platform.hotkeyBackend().canBindLoneModifiers());
    EXPECT_NE(dynamic_cast<X11ModifierEventSource*>(&platform.modifierEvents()), nullptr);
    EXPECT_TRUE(platform.showsOverlay());
    EXPECT_TRUE(platform.limitationLogLines().isEmpty());
    platform.announce();
    EXPECT_FALSE(SessionNotes::needsBindingLines());
    EXPECT_TRUE(SessionNotes::limitationIds().isEmpty());
}

TEST(SessionPlatform, AWlrootsSessionWithoutItsCompositorSaysWhatItCannotDo) {
    ManualScheduler scheduler;
    InMemoryDefaultsStore store;
    SessionPlatform platform(session("wayland", "quillo-test-no-such-compositor", "sway", ""),
                             scheduler, store);
    EXPECT_NE(platform.commandHotkeys(), nullptr) << "the bindings drive the hotkey";
    // A right Control held over another window never reaches us: refused, never recorded.
    EXPECT_FALSE(platform.hotkeyBackend().canBindLoneModifiers());
    EXPECT_FALSE(platform.modifierEvents().canReport(62));
    EXPECT_FALSE(platform.showsOverlay()) << "no XWayland";
    // Neither data control nor an X server to fall back on: nothing can reach the clipboard.
    EXPECT_EQ(platform.limitationIds(), (QStringList{QStringLiteral("session.limit.no_overlay"),
                                                     QStringLiteral("session.limit.no_cancel_key"),
                                                     QStringLiteral("session.limit.no_clipboard"),
                                                     QStringLiteral("session.limit.paste"),
                                                     QStringLiteral("session.limit.bindings")}));
    platform.announce();
    EXPECT_TRUE(SessionNotes::needsBindingLines());
    EXPECT_EQ(SessionNotes::bindingLines(49, 2048).size(), 2);
    SessionNotes::reset();
}

// GNOME has neither data control nor a clipboard portal. With XWayland the text goes on the X11
// clipboard, which mutter hands on to Wayland windows, and the chord through the RemoteDesktop
// portal (XTest's keys reach X11 windows only); without it the text is typed through the portal.
TEST(SessionPlatform, GnomePastesThroughMuttersClipboardBridgeOrTypesWithoutXWayland) {
    ASSERT_NO_FATAL_FAILURE(GnomeTestSettings::requireSchemas());
    ManualScheduler scheduler;
    InMemoryDefaultsStore store;
    {
        SessionPlatform platform(
            session("wayland", "quillo-test-no-such-compositor", "GNOME", ":0"), scheduler, store);
        EXPECT_NE(dynamic_cast<X11Pasteboard*>(&platform.pasteboard()), nullptr);
        EXPECT_NE(dynamic_cast<PortalRemoteDesktopKeystrokeSender*>(&platform.keystrokes()),
                  nullptr);
        EXPECT_TRUE(platform.pastesThroughClipboardBridge());
        EXPECT_EQ(platform.textTyper(), nullptr);
        EXPECT_TRUE(platform.limitationIds().contains(QStringLiteral("session.limit.gnome_paste")));
        EXPECT_FALSE(platform.limitationIds().contains(QStringLiteral("session.limit.clipboard")));
    }
    SessionPlatform platform(session("wayland", "quillo-test-no-such-compositor", "GNOME", ""),
                             scheduler, store);
    EXPECT_FALSE(platform.pastesThroughClipboardBridge());
    EXPECT_NE(platform.textTyper(), nullptr);
    EXPECT_TRUE(platform.limitationIds().contains(QStringLiteral("session.limit.gnome_typing")));
    EXPECT_FALSE(platform.limitationIds().contains(QStringLiteral("session.limit.no_clipboard")));
    GnomeCustomShortcut::remove();
}
