<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
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
        <translation>Notizen</translation>
    </message>
    <message id="mode.raw">
        <source>Raw</source>
        <translation>Rohtext</translation>
    </message>
    <message id="menu.status.recording">
        <source>Recording…</source>
        <translation>Aufnahme läuft…</translation>
    </message>
    <message id="menu.status.processing">
        <source>Processing…</source>
        <translation>Wird verarbeitet…</translation>
    </message>
    <message id="menu.status.hotkey_hint">
        <source>Hold the hotkey to dictate</source>
        <translation>Halte den Hotkey gedrückt, um zu diktieren</translation>
    </message>
    <message id="menu.api_key_missing">
        <source>No API key set</source>
        <translation>Kein API-Schlüssel hinterlegt</translation>
    </message>
    <message id="menu.settings">
        <source>Settings…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message id="menu.quit">
        <source>Quit Quillo</source>
        <translation>Quillo beenden</translation>
    </message>
    <message id="hotkey.press_keys">
        <source>Press keys…</source>
        <translation>Tasten drücken…</translation>
    </message>
    <message id="hotkey.enter_new">
        <source>Press the new hotkey, or Esc to cancel</source>
        <translation>Drücke den neuen Hotkey oder Esc zum Abbrechen</translation>
    </message>
    <message id="window.settings_title">
        <source>Quillo Settings</source>
        <translation>Quillo-Einstellungen</translation>
    </message>
    <message id="nav.group.settings">
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message id="nav.home">
        <source>Home</source>
        <translation>Start</translation>
    </message>
    <message id="nav.general">
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message id="nav.system">
        <source>System</source>
        <translation>System</translation>
    </message>
    <message id="nav.modes">
        <source>Modes</source>
        <translation>Modi</translation>
    </message>
    <message id="Hilfe-Center">
        <source>Help Center</source>
        <translation>Hilfe-Center</translation>
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
        <translation>Start</translation>
    </message>
    <message id="home.guide_title">
        <source>Hold to talk, release to insert</source>
        <translation>Halten zum Sprechen, loslassen zum Einfügen</translation>
    </message>
    <message id="home.guide_subtitle">
        <source>Hold your hotkey while you speak. Quillo types the text where your cursor is.</source>
        <translation>Halte deinen Hotkey gedrückt, während du sprichst. Quillo schreibt den Text dort, wo dein Cursor steht.</translation>
    </message>
    <message id="home.no_history">
        <source>No dictations yet</source>
        <translation>Noch keine Diktate</translation>
    </message>
    <message id="general.title">
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message id="general.push_to_talk">
        <source>Push to talk</source>
        <translation>Push-to-Talk</translation>
    </message>
    <message id="general.push_to_talk.hint">
        <source>Hold the hotkey while you speak and release it to insert the text.</source>
        <translation>Halte den Hotkey gedrückt, während du sprichst, und lass ihn los, um den Text einzufügen.</translation>
    </message>
    <message id="general.handsfree">
        <source>Hands-free</source>
        <translation>Freihändig</translation>
    </message>
    <message id="general.handsfree.hint">
        <source>Press the hotkey twice quickly to record without holding it; press it again to stop.</source>
        <translation>Drücke den Hotkey zweimal schnell, um ohne Halten aufzunehmen; drücke ihn erneut zum Beenden.</translation>
    </message>
    <message id="general.shortcut_info_title">
        <source>Which keys can be a hotkey?</source>
        <translation>Welche Tasten eignen sich als Hotkey?</translation>
    </message>
    <message id="general.shortcut_modifiers">
        <source>A single modifier key</source>
        <translation>Eine einzelne Sondertaste</translation>
    </message>
    <message id="general.shortcut_combos">
        <source>A modifier with another key</source>
        <translation>Eine Sondertaste mit einer weiteren Taste</translation>
    </message>
    <message id="general.shortcut_fkeys">
        <source>Function keys with a modifier</source>
        <translation>Funktionstasten mit einer Sondertaste</translation>
    </message>
    <message id="general.shortcut_not_supported">
        <source>Letters and digits alone cannot be a hotkey, as they are needed for typing.</source>
        <translation>Buchstaben und Ziffern allein können kein Hotkey sein, da sie zum Tippen gebraucht werden.</translation>
    </message>
    <message id="general.restart_hint">
        <source>Restart Quillo to apply the change.</source>
        <translation>Starte Quillo neu, um die Änderung zu übernehmen.</translation>
    </message>
    <message id="general.restart">
        <source>Restart</source>
        <translation>Neu starten</translation>
    </message>
    <message id="general.language">
        <source>Dictation language</source>
        <translation>Diktiersprache</translation>
    </message>
    <message id="general.app_language">
        <source>Interface language</source>
        <translation>Sprache der Oberfläche</translation>
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
        <translation>Beim Anmelden starten</translation>
    </message>
    <message id="system.show_overlay">
        <source>Show recording overlay</source>
        <translation>Aufnahme-Overlay anzeigen</translation>
    </message>
    <message id="system.show_in_dock">
        <source>Show in taskbar</source>
        <translation>In der Taskleiste anzeigen</translation>
    </message>
    <message id="system.sound">
        <source>Sound</source>
        <translation>Ton</translation>
    </message>
    <message id="system.sound_effects">
        <source>Sound effects</source>
        <translation>Soundeffekte</translation>
    </message>
    <message id="system.language">
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
    <message id="modes.title">
        <source>Modes</source>
        <translation>Modi</translation>
    </message>
    <message id="modes.active">
        <source>Active mode</source>
        <translation>Aktiver Modus</translation>
    </message>
    <message id="modes.custom_instructions">
        <source>Custom instructions</source>
        <translation>Eigene Anweisungen</translation>
    </message>
    <message id="modes.custom">
        <source>Custom</source>
        <translation>Angepasst</translation>
    </message>
    <message id="modes.reset">
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message id="modes.edit">
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message id="modes.done">
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message id="modes.raw_info">
        <source>Raw mode inserts the transcript exactly as recognised, without any formatting.</source>
        <translation>Der Rohtext-Modus fügt die Erkennung unverändert ein, ohne jede Formatierung.</translation>
    </message>
    <message id="onboarding.welcome.title">
        <source>Welcome to Quillo</source>
        <translation>Willkommen bei Quillo</translation>
    </message>
    <message id="onboarding.welcome.subtitle">
        <source>Speak instead of typing: hold a key, talk, let go, and your words appear where you write.</source>
        <translation>Sprechen statt tippen: Taste halten, reden, loslassen – und deine Worte erscheinen dort, wo du schreibst.</translation>
    </message>
    <message id="onboarding.welcome.cta">
        <source>Get Started</source>
        <translation>Los geht’s</translation>
    </message>
    <message id="onboarding.mic.title">
        <source>Microphone Access</source>
        <translation>Mikrofonzugriff</translation>
    </message>
    <message id="onboarding.mic.description">
        <source>Quillo listens only while you hold the hotkey. Your recording is turned into text and not kept.</source>
        <translation>Quillo hört nur zu, solange du den Hotkey hältst. Deine Aufnahme wird in Text umgewandelt und nicht aufbewahrt.</translation>
    </message>
    <message id="onboarding.mic.granted">
        <source>Microphone access granted</source>
        <translation>Mikrofonzugriff erlaubt</translation>
    </message>
    <message id="onboarding.mic.cta">
        <source>Allow Microphone</source>
        <translation>Mikrofon erlauben</translation>
    </message>
    <message id="onboarding.next">
        <source>Continue</source>
        <translation>Weiter</translation>
    </message>
    <message id="onboarding.accessibility.title">
        <source>Allow Typing</source>
        <translation>Tippen erlauben</translation>
    </message>
    <message id="onboarding.accessibility.description">
        <source>To paste your text into other apps, Quillo sends the paste keys for you. The help page explains what your desktop needs for that.</source>
        <translation>Um deinen Text in andere Apps einzufügen, drückt Quillo die Einfügetasten für dich. Die Hilfeseite erklärt, was dein Desktop dafür braucht.</translation>
    </message>
    <message id="onboarding.accessibility.open_settings">
        <source>Show Me How</source>
        <translation>Zeig mir, wie</translation>
    </message>
    <message id="onboarding.accessibility.confirm">
        <source>I have allowed Quillo to type</source>
        <translation>Ich habe Quillo das Tippen erlaubt</translation>
    </message>
    <message id="onboarding.ready.title">
        <source>You&#x27;re All Set</source>
        <translation>Alles bereit</translation>
    </message>
    <message id="onboarding.ready.subtitle">
        <source>Hold your hotkey, speak, and release it to insert the text.</source>
        <translation>Halte deinen Hotkey, sprich und lass ihn los, um den Text einzufügen.</translation>
    </message>
    <message id="onboarding.ready.menubar_hint">
        <source>Quillo lives in the system tray. Click its icon for modes and settings.</source>
        <translation>Quillo wohnt im Infobereich der Taskleiste. Klicke auf das Symbol für Modi und Einstellungen.</translation>
    </message>
    <message id="onboarding.ready.cta">
        <source>Start Dictating</source>
        <translation>Diktieren starten</translation>
    </message>
    <message id="hotkey.lone_modifier_unavailable">
        <source>This desktop binds key combinations only: hold a modifier and press a key</source>
        <translation>Dieser Desktop bindet nur Tastenkombinationen: halte eine Sondertaste und drücke eine Taste</translation>
    </message>
    <message id="hotkey.portal.description">
        <source>Dictate: hold to talk, press twice for hands-free</source>
        <translation>Diktieren: halten zum Sprechen, zweimal drücken für freihändig</translation>
    </message>
    <message id="hotkey.portal.taken">
        <source>The desktop could not bind this shortcut: another application uses it. Choose another one.</source>
        <translation>Der Desktop konnte dieses Tastenkürzel nicht binden: eine andere Anwendung verwendet es. Wähle ein anderes.</translation>
    </message>
    <message id="hotkey.portal.changed">
        <source>The desktop now starts dictation with %1 (changed in its shortcut settings).</source>
        <translation>Der Desktop startet das Diktieren jetzt mit %1 (in seinen Kurzbefehl-Einstellungen geändert).</translation>
    </message>
    <message id="hotkey.portal.removed">
        <source>The desktop no longer has a shortcut for dictation: choose one here.</source>
        <translation>Der Desktop hat kein Tastenkürzel mehr für das Diktieren: wähle hier eines.</translation>
    </message>
</context>
</TS>
