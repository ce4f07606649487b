#include "platform/wayland/GnomeBindingConflicts.h"
#include "platform/wayland/GnomeCustomShortcut.h"
#include "platform/wayland/GnomeSettings.h"
#include "support/GnomeTestSettings.h"

#include <gtest/gtest.h>

namespace {

using GnomeTestSettings::customPath;

class GnomeCustomShortcutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(GnomeTestSettings::requireSchemas());
        GnomeTestSettings::resetAll({QStringLiteral("custom0"), QStringLiteral("custom1")});
    }
    void TearDown() override {
        GnomeTestSettings::resetAll({QStringLiteral("custom0"), QStringLiteral("custom1")});
    }

    static QStringList listed() {
        return GnomeSettings{QLatin1String(GnomeCustomShortcut::listSchema)}.strings(
            QLatin1String(GnomeCustomShortcut::listKey));
    }
    static QString entryKey(const QString& path, const QString& key) {
        return GnomeSettings{QLatin1String(GnomeCustomShortcut::entrySchema), path}.string(key);
    }
    static void setBinding(const char* schema, const char* key, const QStringList& accelerators) {
        GnomeSettings settings{QLatin1String(schema)};
        ASSERT_TRUE(settings.setStringList(QLatin1String(key), accelerators)) << schema << key;
    }
};

TEST_F(GnomeCustomShortcutTest, TheEntryIsWrittenRewrittenAndRemovedLeavingOthersAlone) {
    GnomeTestSettings::addCustomEntry(QStringLiteral("custom0"), QStringLiteral("<Super>t"),
                                      QStringLiteral("gnome-terminal"));
    const QString command =
        GnomeCustomShortcut::pressCommand({QStringLiteral("/opt/my apps/quillo-hotkey-press"),
                                           QStringLiteral("/run/user/1000/q.socket")});
    EXPECT_EQ(command,
              QStringLiteral("'/opt/my apps/quillo-hotkey-press' '/run/user/1000/q.socket'"));

    ASSERT_TRUE(GnomeCustomShortcut::write(QStringLiteral("<Control><Shift>d"), command));
    const QString own = GnomeCustomShortcut::entryPath();
    EXPECT_EQ(listed(), (QStringList{customPath(QStringLiteral("custom0")), own}));
    EXPECT_EQ(entryKey(own, QStringLiteral("name")), QStringLiteral("Quillo"));
    EXPECT_EQ(entryKey(own, QStringLiteral("binding")), QStringLiteral("<Control><Shift>d"));
    EXPECT_EQ(entryKey(own, QStringLiteral("command")), command);

    ASSERT_TRUE(GnomeCustomShortcut::write(QStringLiteral("<Alt>F5"), command));
    EXPECT_EQ(listed().count(own), 1) << "rewritten, not listed twice";
    EXPECT_EQ(GnomeCustomShortcut::writtenBinding(), QStringLiteral("<Alt>F5"));

    GnomeCustomShortcut::remove();
    EXPECT_EQ(listed(), QStringList{customPath(QStringLiteral("custom0"))});
    EXPECT_TRUE(entryKey(own, QStringLiteral("binding")).isEmpty());
    EXPECT_TRUE(GnomeCustomShortcut::writtenBinding().isEmpty());
    const QString other = customPath(QStringLiteral("custom0"));
    EXPECT_EQ(entryKey(other, QStringLiteral("binding")), QStringLiteral("<Super>t"));
    EXPECT_EQ(entryKey(other, QStringLiteral("command")), QStringLiteral("gnome-terminal"));
    EXPECT_EQ(entryKey(other, QStringLiteral("name")), QStringLiteral("custom0"));

    GnomeCustomShortcut::remove();  // nothing there: nothing happens
    EXPECT_EQ(listed(), QStringList{other});
}

TEST_F(GnomeCustomShortcutTest, ConflictsAreFoundInEveryBindingSchemaWhateverTheSpelling) {
    const auto found =
        GnomeBindingConflicts::find(QStringLiteral("<Alt>space"), GnomeCustomShortcut::entryPath());
    ASSERT_TRUE(found) << "GNOME's window menu holds Alt+Space by default";
    EXPECT_EQ(found->schema, QStringLiteral("org.gnome.desktop.wm.keybindings"));
    EXPECT_EQ(found->action, QStringLiteral("activate-window-menu"));

    setBinding("org.gnome.desktop.wm.keybindings", "activate-window-menu", {});
    EXPECT_FALSE(GnomeBindingConflicts::find(QStringLiteral("<Alt>space"), {})) << "freed in GNOME";

    setBinding("org.gnome.shell.keybindings", "toggle-overview",
               {QStringLiteral("<Primary><Alt>o")});
    setBinding("org.gnome.mutter.keybindings", "toggle-tiled-left", {QStringLiteral("<Mod4>F9")});
    setBinding("org.gnome.settings-daemon.plugins.media-keys", "screensaver",
               {QStringLiteral("<Ctrl><Shift>F8")});
    const std::pair<const char*, const char*> expected[] = {
        {"<Control><Alt>o", "org.gnome.shell.keybindings"},
        {"<Super>F9", "org.gnome.mutter.keybindings"},
        {"<Control><Shift>F8", "org.gnome.settings-daemon.plugins.media-keys"}};
    for (const auto& [accelerator, schema] : expected) {
        const auto conflict = GnomeBindingConflicts::find(QLatin1String(accelerator), {});
        ASSERT_TRUE(conflict) << accelerator;
        EXPECT_EQ(conflict->schema, QLatin1String(schema));
    }
    EXPECT_FALSE(GnomeBindingConflicts::find(QStringLiteral("<Control><Alt><Shift>F12"), {}));
}

TEST_F(GnomeCustomShortcutTest, AnotherCustomShortcutConflictsButQuillosOwnEntryDoesNot) {
    GnomeTestSettings::addCustomEntry(QStringLiteral("custom1"), QStringLiteral("<Super>F11"),
                                      QStringLiteral("obs"));
    const auto conflict =
        GnomeBindingConflicts::find(QStringLiteral("<Super>F11"), GnomeCustomShortcut::entryPath());
    ASSERT_TRUE(conflict);
    EXPECT_EQ(conflict->action, QStringLiteral("custom1")) << "named as GNOME's settings show it";
    EXPECT_EQ(conflict->key, customPath(QStringLiteral("custom1")));

    ASSERT_TRUE(GnomeCustomShortcut::write(QStringLiteral("<Super>F12"), QStringLiteral("q")));
    EXPECT_FALSE(
        GnomeBindingConflicts::find(QStringLiteral("<Super>F12"), GnomeCustomShortcut::entryPath()))
        << "re-registering the same hotkey";
}

TEST_F(GnomeCustomShortcutTest, AMalformedPathInTheListIsSkippedNotFatal) {
    GnomeSettings list{QLatin1String(GnomeCustomShortcut::listSchema)};
    ASSERT_TRUE(list.setStringList(QLatin1String(GnomeCustomShortcut::listKey),
                                   {QStringLiteral("not-a-path"), QStringLiteral("/a//b/")}));
    EXPECT_FALSE(GnomeBindingConflicts::find(QStringLiteral("<Super>F12"), {}));
    EXPECT_FALSE(GnomeSettings(QStringLiteral("org.example.not.installed")).isValid());
}

}  // namespace
