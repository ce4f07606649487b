<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name></name>
    <message id="mode.email">
        <source>E-Mail</source>
        <translation>E-Mail</translation>
    </message>
    <message id="mode.chat">
        <source>Chat</source>
        <translation>Chat</translation>
    </message>
    <message id="mode.code">
        <source>Code</source>
        <translation>Code</translation>
    </message>
    <message id="mode.notes">
        <source>Notes</source>
        <translation>Notes</translation>
    </message>
    <message id="mode.raw">
        <source>Raw</source>
        <translation>Raw</translation>
    </message>
    <message id="menu.status.recording">
        <source>Recording…</source>
        <translation>Recording…</translation>
    </message>
    <message id="menu.status.processing">
        <source>Processing…</source>
        <translation>Processing…</translation>
    </message>
    <message id="menu.status.hotkey_hint">
        <source>Hold the hotkey to dictate</source>
        <translation>Hold the hotkey to dictate</translation>
    </message>
    <message id="menu.api_key_missing">
        <source>No API key set</source>
        <translation>No API key set</translation>
    </message>
    <message id="menu.settings">
        <source>Settings…</source>
        <translation>Settings…</translation>
    </message>
    <message id="menu.quit">
        <source>Quit Quillo</source>
        <translation>Quit Quillo</translation>
    </message>
    <message id="hotkey.press_keys">
        <source>Press keys…</source>
        <translation>Press keys…</translation>
    </message>
    <message id="hotkey.enter_new">
        <source>Press the new hotkey, or Esc to cancel</source>
        <translation>Press the new hotkey, or Esc to cancel</translation>
    </message>
    <message id="window.settings_title">
        <source>Quillo Settings</source>
        <translation>Quillo Settings</translation>
    </message>
    <message id="nav.group.settings">
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message id="nav.home">
        <source>Home</source>
        <translation>Home</translation>
    </message>
    <message id="nav.general">
        <source>General</source>
        <translation>General</translation>
    </message>
    <message id="nav.system">
        <source>System</source>
        <translation>System</translation>
    </message>
    <message id="nav.modes">
        <source>Modes</source>
        <translation>Modes</translation>
    </message>
    <message id="Hilfe-Center">
        <source>Help Center</source>
        <translation>Help Center</translation>
    </message>
    <message id="Support">
        <source>Support</source>
        <translation>Support</translation>
    </message>
    <message id="Quillo v1.0.0">
        <source>Quillo v1.0.0</source>
        <translation>Quillo v1.0.0</translation>
    </message>
    <message id="home.title">
        <source>Home</source>
        <translation>Home</translation>
    </message>
    <message id="home.guide_title">
        <source>Hold to talk, release to insert</source>
        <translation>Hold to talk, release to insert</translation>
    </message>
    <message id="home.guide_subtitle">
        <source>Hold your hotkey while you speak. Quillo types the text where your cursor is.</source>
        <translation>Hold your hotkey while you speak. Quillo types the text where your cursor is.</translation>
    </message>
    <message id="home.no_history">
        <source>No dictations yet</source>
        <translation>No dictations yet</translation>
    </message>
    <message id="general.title">
        <source>General</source>
        <translation>General</translation>
    </message>
    <message id="general.push_to_talk">
        <source>Push to talk</source>
        <translation>Push to talk</translation>
    </message>
    <message id="general.push_to_talk.hint">
        <source>Hold the hotkey while you speak and release it to insert the text.</source>
        <translation>Hold the hotkey while you speak and release it to insert the text.</translation>
    </message>
    <message id="general.handsfree">
        <source>Hands-free</source>
        <translation>Hands-free</translation>
    </message>
    <message id="general.handsfree.hint">
        <source>Press the hotkey twice quickly to record without holding it; press it again to stop.</source>
        <translation>Press the hotkey twice quickly to record without holding it; press it again to stop.</translation>
    </message>
    <message id="general.shortcut_info_title">
        <source>Which keys can be a hotkey?</source>
        <translation>Which keys can be a hotkey?</translation>
    </message>
    <message id="general.shortcut_modifiers">
        <source>A single modifier key</source>
        <translation>A single modifier key</translation>
    </message>
    <message id="general.shortcut_combos">
        <source>A modifier with another key</source>
        <translation>A modifier with another key</translation>
    </message>
    <message id="general.shortcut_fkeys">
        <source>Function keys with a modifier</source>
        <translation>Function keys with a modifier</translation>
    </message>
    <message id="general.shortcut_not_supported">
        <source>Letters and digits alone cannot be a hotkey, as they are needed for typing.</source>
        <translation>Letters and digits alone cannot be a hotkey, as they are needed for typing.</translation>
    </message>
    <message id="general.restart_hint">
        <source>Restart Quillo to apply the change.</source>
        <translation>Restart Quillo to apply the change.</translation>
    </message>
    <message id="general.restart">
        <source>Restart</source>
        <translation>Restart</translation>
    </message>
    <message id="general.language">
        <source>Dictation language</source>
        <translation>Dictation language</translation>
    </message>
    <message id="general.app_language">
        <source>Interface language</source>
        <translation>Interface language</translation>
    </message>
    <message id="system.title">
        <source>System</source>
        <translation>System</translation>
    </message>
    <message id="system.app_settings">
        <source>App</source>
        <translation>App</translation>
    </message>
    <message id="system.launch_at_login">
        <source>Start at login</source>
        <translation>Start at login</translation>
    </message>
    <message id="system.show_overlay">
        <source>Show recording overlay</source>
        <translation>Show recording overlay</translation>
    </message>
    <message id="system.show_in_dock">
        <source>Show in taskbar</source>
        <translation>Show in taskbar</translation>
    </message>
    <message id="system.sound">
        <source>Sound</source>
        <translation>Sound</translation>
    </message>
    <message id="system.sound_effects">
        <source>Sound effects</source>
        <translation>Sound effects</translation>
    </message>
    <message id="system.language">
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message id="modes.title">
        <source>Modes</source>
        <translation>Modes</translation>
    </message>
    <message id="modes.active">
        <source>Active mode</source>
        <translation>Active mode</translation>
    </message>
    <message id="modes.custom_instructions">
        <source>Custom instructions</source>
        <translation>Custom instructions</translation>
    </message>
    <message id="modes.custom">
        <source>Custom</source>
        <translation>Custom</translation>
    </message>
    <message id="modes.reset">
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message id="modes.edit">
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message id="modes.done">
        <source>Done</source>
        <translation>Done</translation>
    </message>
    <message id="modes.raw_info">
        <source>Raw mode inserts the transcript exactly as recognised, without any formatting.</source>
        <translation>Raw mode inserts the transcript exactly as recognised, without any formatting.</translation>
    </message>
    <message id="onboarding.welcome.title">
        <source>Welcome to Quillo</source>
        <translation>Welcome to Quillo</translation>
    </message>
    <message id="onboarding.welcome.subtitle">
        <source>Speak instead of typing: hold a key, talk, let go, and your words appear where you write.</source>
        <translation>Speak instead of typing: hold a key, talk, let go, and your words appear where you write.</translation>
    </message>
    <message id="onboarding.welcome.cta">
        <source>Get Started</source>
        <translation>Get Started</translation>
    </message>
    <message id="onboarding.mic.title">
        <source>Microphone Access</source>
        <translation>Microphone Access</translation>
    </message>
    <message id="onboarding.mic.description">
        <source>Quillo listens only while you hold the hotkey. Your recording is turned into text and not kept.</source>
        <translation>Quillo listens only while you hold the hotkey. Your recording is turned into text and not kept.</translation>
    </message>
    <message id="onboarding.mic.granted">
        <source>Microphone access granted</source>
        <translation>Microphone access granted</translation>
    </message>
    <message id="onboarding.mic.cta">
        <source>Allow Microphone</source>
        <translation>Allow Microphone</translation>
    </message>
    <message id="onboarding.next">
        <source>Continue</source>
        <translation>Continue</translation>
    </message>
    <message id="onboarding.accessibility.title">
        <source>Allow Typing</source>
        <translation>Allow Typing</translation>
    </message>
    <message id="onboarding.accessibility.description">
        <source>To paste your text into other apps, Quillo sends the paste keys for you. The help page explains what your desktop needs for that.</source>
        <translation>To paste your text into other apps, Quillo sends the paste keys for you. The help page explains what your desktop needs for that.</translation>
    </message>
    <message id="onboarding.accessibility.open_settings">
        <source>Show Me How</source>
        <translation>Show Me How</translation>
    </message>
    <message id="onboarding.accessibility.confirm">
        <source>I have allowed Quillo to type</source>
        <translation>I have allowed Quillo to type</translation>
    </message>
    <message id="onboarding.ready.title">
        <source>You&#x27;re All Set</source>
        <translation>You&#x27;re All Set</translation>
    </message>
    <message id="onboarding.ready.subtitle">
        <source>Hold your hotkey, speak, and release it to insert the text.</source>
        <translation>Hold your hotkey, speak, and release it to insert the text.</translation>
    </message>
    <message id="onboarding.ready.menubar_hint">
        <source>Quillo lives in the system tray. Click its icon for modes and settings.</source>
        <translation>Quillo lives in the system tray. Click its icon for modes and settings.</translation>
    </message>
    <message id="onboarding.ready.cta">
        <source>Start Dictating</source>
        <translation>Start Dictating</translation>
    </message>
    <message id="hotkey.lone_modifier_unavailable">
        <source>This desktop binds key combinations only: hold a modifier and press a key</source>
        <translation>This desktop binds key combinations only: hold a modifier and press a key</translation>
    </message>
    <message id="hotkey.portal.description">
        <source>Dictate: hold to talk, press twice for hands-free</source>
        <translation>Dictate: hold to talk, press twice for hands-free</translation>
    </message>
    <message id="hotkey.portal.taken">
        <source>The desktop could not bind this shortcut: another application uses it. Choose another one.</source>
        <translation>The desktop could not bind this shortcut: another application uses it. Choose another one.</translation>
    </message>
    <message id="hotkey.portal.changed">
        <source>The desktop now starts dictation with %1 (changed in its shortcut settings).</source>
        <translation>The desktop now starts dictation with %1 (changed in its shortcut settings).</translation>
    </message>
    <message id="hotkey.portal.removed">
        <source>The desktop no longer has a shortcut for dictation: choose one here.</source>
        <translation>The desktop no longer has a shortcut for dictation: choose one here.</translation>
    </message>
</context>
</TS>
