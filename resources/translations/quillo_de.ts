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
    <message id="nav.connection">
        <source>Connection</source>
        <translation>Verbindung</translation>
    </message>
    <message id="connection.title">
        <source>Connection</source>
        <translation>Verbindung</translation>
    </message>
    <message id="connection.route">
        <source>Where your speech is turned into text</source>
        <translation>Wo deine Sprache zu Text wird</translation>
    </message>
    <message id="connection.route.backend">
        <source>Quillo service</source>
        <translation>Quillo-Dienst</translation>
    </message>
    <message id="connection.route.own">
        <source>Own API keys</source>
        <translation>Eigene API-Schlüssel</translation>
    </message>
    <message id="connection.route.title">
        <source>Route</source>
        <translation>Weg</translation>
    </message>
    <message id="connection.route.backend_info">
        <source>Quillo's service transcribes and formats for you: no key needed.</source>
        <translation>Der Quillo-Dienst transkribiert und formatiert für dich: kein Schlüssel nötig.</translation>
    </message>
    <message id="connection.route.own_info">
        <source>Your own keys, sent only to the servers below.</source>
        <translation>Deine eigenen Schlüssel, nur an die Server unten gesendet.</translation>
    </message>
    <message id="connection.openai">
        <source>OpenAI or a compatible server</source>
        <translation>OpenAI oder ein kompatibler Server</translation>
    </message>
    <message id="connection.anthropic">
        <source>Anthropic</source>
        <translation>Anthropic</translation>
    </message>
    <message id="connection.formatting">
        <source>Formatting</source>
        <translation>Formatierung</translation>
    </message>
    <message id="connection.openai_key">
        <source>OpenAI API key</source>
        <translation>OpenAI-API-Schlüssel</translation>
    </message>
    <message id="connection.base_url">
        <source>Server address</source>
        <translation>Serveradresse</translation>
    </message>
    <message id="connection.base_url.hint">
        <source>A whisper.cpp, vLLM, LocalAI or Ollama server works too</source>
        <translation>Auch ein whisper.cpp-, vLLM-, LocalAI- oder Ollama-Server geht</translation>
    </message>
    <message id="connection.transcription_model">
        <source>Transcription model</source>
        <translation>Transkriptionsmodell</translation>
    </message>
    <message id="connection.chat_model">
        <source>Formatting model</source>
        <translation>Formatierungsmodell</translation>
    </message>
    <message id="connection.anthropic_key">
        <source>Anthropic API key</source>
        <translation>Anthropic-API-Schlüssel</translation>
    </message>
    <message id="connection.anthropic_model">
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message id="connection.llm_provider">
        <source>Formatting provider</source>
        <translation>Anbieter für die Formatierung</translation>
    </message>
    <message id="connection.llm_provider.hint">
        <source>Rewrites the transcript in the chosen mode; raw mode skips it</source>
        <translation>Überarbeitet das Transkript im gewählten Modus; Rohtext überspringt das</translation>
    </message>
    <message id="connection.check">
        <source>Check connection</source>
        <translation>Verbindung prüfen</translation>
    </message>
    <message id="connection.check.success">
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message id="connection.check.key_rejected">
        <source>Key rejected</source>
        <translation>Schlüssel abgelehnt</translation>
    </message>
    <message id="connection.check.unreachable">
        <source>Server not reachable</source>
        <translation>Server nicht erreichbar</translation>
    </message>
    <message id="connection.check.status">
        <source>Server answered with status %1</source>
        <translation>Server antwortete mit Status %1</translation>
    </message>
    <message id="connection.check.insecure">
        <source>Not sent: this address needs https</source>
        <translation>Nicht gesendet: diese Adresse braucht https</translation>
    </message>
    <message id="connection.check.running">
        <source>Checking…</source>
        <translation>Wird geprüft…</translation>
    </message>
    <message id="connection.http_local">
        <source>Plain http: accepted because the server is on this computer or your local network.</source>
        <translation>Unverschlüsseltes http: erlaubt, weil der Server auf diesem Computer oder im lokalen Netz läuft.</translation>
    </message>
    <message id="connection.http_refused">
        <source>Plain http is only allowed to this computer or your local network: use https.</source>
        <translation>Unverschlüsseltes http ist nur zu diesem Computer oder ins lokale Netz erlaubt: nutze https.</translation>
    </message>
    <message id="connection.address_invalid">
        <source>Not a server address: enter it like https://api.example.com</source>
        <translation>Keine Serveradresse: gib sie so ein: https://api.example.com</translation>
    </message>
    <message id="connection.key.show">
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
    <message id="connection.keys.keyring">
        <source>Keys are kept in the system keyring</source>
        <translation>Schlüssel werden im Schlüsselbund des Systems aufbewahrt</translation>
    </message>
    <message id="connection.keys.no_keyring">
        <source>Keys are kept in Quillo's preferences file (no keyring on this desktop)</source>
        <translation>Schlüssel werden in Quillos Einstellungsdatei aufbewahrt (kein Schlüsselbund auf diesem Desktop)</translation>
    </message>
    <message id="connection.keys.keyring_refused">
        <source>Keys are kept in Quillo's preferences file (the keyring refused them)</source>
        <translation>Schlüssel werden in Quillos Einstellungsdatei aufbewahrt (der Schlüsselbund hat sie abgelehnt)</translation>
    </message>
    <message id="connection.key.hide">
        <source>Hide</source>
        <translation>Verbergen</translation>
    </message>
    <message id="key.ctrl">
        <source>Ctrl</source>
        <translation>Strg</translation>
    </message>
    <message id="key.alt">
        <source>Alt</source>
        <translation>Alt</translation>
    </message>
    <message id="key.shift">
        <source>Shift</source>
        <translation>Umschalt</translation>
    </message>
    <message id="key.super">
        <source>Super</source>
        <translation>Super</translation>
    </message>
    <message id="key.return">
        <source>Enter</source>
        <translation>Eingabe</translation>
    </message>
    <message id="key.tab">
        <source>Tab</source>
        <translation>Tab</translation>
    </message>
    <message id="key.space">
        <source>Space</source>
        <translation>Leertaste</translation>
    </message>
    <message id="key.backspace">
        <source>Backspace</source>
        <translation>Rücktaste</translation>
    </message>
    <message id="key.right_super">
        <source>Right Super</source>
        <translation>Super rechts</translation>
    </message>
    <message id="key.right_shift">
        <source>Right Shift</source>
        <translation>Umschalt rechts</translation>
    </message>
    <message id="key.altgr">
        <source>AltGr</source>
        <translation>Alt Gr</translation>
    </message>
    <message id="key.right_ctrl">
        <source>Right Ctrl</source>
        <translation>Strg rechts</translation>
    </message>
    <message id="key.delete">
        <source>Delete</source>
        <translation>Entf</translation>
    </message>
    <message id="key.ctrl.label">
        <source>Control</source>
        <translation>Steuerung</translation>
    </message>
    <message id="key.alt.label">
        <source>Alt or AltGr</source>
        <translation>Alt oder Alt Gr</translation>
    </message>
    <message id="key.shift.label">
        <source>Shift</source>
        <translation>Umschalttaste</translation>
    </message>
    <message id="key.super.label">
        <source>Windows key</source>
        <translation>Windows-Taste</translation>
    </message>
    <message id="system.microphone">
        <source>Microphone</source>
        <translation>Mikrofon</translation>
    </message>
    <message id="system.microphone.input">
        <source>Input</source>
        <translation>Eingang</translation>
    </message>
    <message id="system.microphone.level">
        <source>Input level</source>
        <translation>Eingangspegel</translation>
    </message>
    <message id="system.microphone.default">
        <source>System default</source>
        <translation>Systemstandard</translation>
    </message>
    <message id="system.microphone.missing">
        <source>%1 (not connected)</source>
        <translation>%1 (nicht verbunden)</translation>
    </message>
    <message id="vocabulary.title">
        <source>Vocabulary</source>
        <translation>Vokabular</translation>
    </message>
    <message id="vocabulary.hint">
        <source>Names and words that speech-to-text should know, one per line. They go with every transcription through your own server; Quillo's service has no field for them.</source>
        <translation>Namen und Wörter, die die Spracherkennung kennen soll, einer pro Zeile. Sie gehen mit jeder Transkription über deinen eigenen Server mit; der Quillo-Dienst hat dafür kein Feld.</translation>
    </message>
    <message id="vocabulary.placeholder">
        <source>Quillo
Kubernetes
Dr. Okonkwo</source>
        <translation>Quillo
Kubernetes
Dr. Okonkwo</translation>
    </message>
    <message id="replacements.title">
        <source>Replacements</source>
        <translation>Ersetzungen</translation>
    </message>
    <message id="replacements.hint">
        <source>One per line as heard → written. Whole words, letter case ignored, applied before formatting.</source>
        <translation>Eine pro Zeile als gehört → geschrieben. Nur ganze Wörter, Groß- und Kleinschreibung egal, vor dem Formatieren angewandt.</translation>
    </message>
    <message id="replacements.placeholder">
        <source>cube control → kubectl
quill o → Quillo</source>
        <translation>kuh bernetis → Kubernetes
quill o → Quillo</translation>
    </message>
    <message id="home.copied">
        <source>Copied</source>
        <translation>Kopiert</translation>
    </message>
    <message id="home.copy_hint">
        <source>Click to copy</source>
        <translation>Klicken zum Kopieren</translation>
    </message>
    <message id="home.copy">
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message id="general.fn_unavailable">
        <source>The fn key cannot be a hotkey on this desktop: the keyboard keeps it to itself.</source>
        <translation>Die Fn-Taste kann auf diesem Desktop kein Hotkey sein: Die Tastatur behält sie für sich.</translation>
    </message>
    <message id="onboarding.mic.missing">
        <source>No microphone found. You can continue and connect one later.</source>
        <translation>Kein Mikrofon gefunden. Du kannst fortfahren und später eines anschließen.</translation>
    </message>
    <message id="general.session.title">
        <source>This session</source>
        <translation>Diese Sitzung</translation>
    </message>
    <message id="general.session.bindings_hint">
        <source>Add these lines to the compositor's configuration (sway: ~/.config/sway/config) and reload it, so that the hotkey reaches Quillo:</source>
        <translation>Füge diese Zeilen der Konfiguration des Compositors hinzu (sway: ~/.config/sway/config) und lade sie neu, damit der Hotkey Quillo erreicht:</translation>
    </message>
    <message id="general.session.bindings_unavailable">
        <source>This hotkey cannot be bound through the compositor's key bindings: choose one with a key other than a modifier.</source>
        <translation>Dieser Hotkey lässt sich nicht über die Tastenbelegungen des Compositors belegen: Wähle einen mit einer Taste, die keine Sondertaste ist.</translation>
    </message>
    <message id="session.limit.no_overlay">
        <source>No X server (XWayland) in this session: the overlay is not shown.</source>
        <translation>Kein X-Server (XWayland) in dieser Sitzung: Das Overlay wird nicht angezeigt.</translation>
    </message>
    <message id="session.limit.clipboard">
        <source>The compositor offers no clipboard control: the clipboard goes through XWayland and reaches Wayland applications only as far as the compositor passes it on.</source>
        <translation>Der Compositor bietet keine Steuerung der Zwischenablage: Sie läuft über XWayland und erreicht Wayland-Anwendungen nur, soweit der Compositor sie weitergibt.</translation>
    </message>
    <message id="session.limit.no_clipboard">
        <source>The compositor offers no clipboard control and there is no X server: dictated text cannot be pasted.</source>
        <translation>Der Compositor bietet keine Steuerung der Zwischenablage, und es gibt keinen X-Server: diktierter Text kann nicht eingefügt werden.</translation>
    </message>
    <message id="session.limit.paste">
        <source>The compositor offers no virtual keyboard: text is pasted only into X11 applications.</source>
        <translation>Der Compositor bietet keine virtuelle Tastatur: Text wird nur in X11-Anwendungen eingefügt.</translation>
    </message>
    <message id="session.limit.bindings">
        <source>The hotkey comes from the compositor's key bindings; a lone modifier key cannot be bound that way.</source>
        <translation>Der Hotkey kommt aus den Tastenbelegungen des Compositors; eine einzelne Sondertaste lässt sich so nicht belegen.</translation>
    </message>
    <message id="session.limit.cancel_key">
        <source>Esc cancels a dictation only while an X11 application has the focus.</source>
        <translation>Esc bricht ein Diktat nur ab, solange eine X11-Anwendung den Fokus hat.</translation>
    </message>
    <message id="session.limit.no_cancel_key">
        <source>Esc cannot cancel a dictation in this session.</source>
        <translation>Esc kann in dieser Sitzung kein Diktat abbrechen.</translation>
    </message>
    <message id="session.limit.typing">
        <source>The compositor offers no clipboard control: dictated text is typed into the focused window instead of pasted.</source>
        <translation>Der Compositor bietet keine Zwischenablage-Steuerung: diktierter Text wird in das fokussierte Fenster getippt statt eingefügt.</translation>
    </message>
    <message id="session.limit.lone_modifier">
        <source>The desktop binds key combinations only: a lone modifier key cannot be the hotkey in this session.</source>
        <translation>Der Desktop belegt nur Tastenkombinationen: eine einzelne Sondertaste kann in dieser Sitzung nicht der Hotkey sein.</translation>
    </message>
    <message id="session.limit.hotkey">
        <source>The hotkey reaches Quillo only while an X11 application has the focus.</source>
        <translation>Der Hotkey erreicht Quillo nur, solange eine X11-Anwendung den Fokus hat.</translation>
    </message>
    <message id="local.fast_title">
        <source>Faster, may be less accurate</source>
        <translation>Schneller, eventuell ungenauer</translation>
    </message>
    <message id="local.fast_subtitle">
        <source>The model listens to the length of the dictation rather than its full 30-second window.</source>
        <translation>Das Modell hört nur so lange zu, wie das Diktat dauert, statt sein ganzes 30-Sekunden-Fenster.</translation>
    </message>
    <message id="local.live_preview_title">
        <source>Show the words while you speak</source>
        <translation>Wörter beim Sprechen zeigen</translation>
    </message>
    <message id="local.live_preview_subtitle">
        <source>The overlay shows the latest words under the waveform as they are transcribed.</source>
        <translation>Das Overlay zeigt die neuesten Wörter unter der Wellenform, sobald sie transkribiert sind.</translation>
    </message>
    <message id="local.graphics_card_title">
        <source>Use the graphics card</source>
        <translation>Grafikkarte verwenden</translation>
    </message>
    <message id="local.device_graphics_card">
        <source>Graphics card: %1</source>
        <translation>Grafikkarte: %1</translation>
    </message>
    <message id="local.device_processor">
        <source>Processor, %1 threads</source>
        <translation>Prozessor, %1 Threads</translation>
    </message>
    <message id="local.title">
        <source>Transcribe on this computer</source>
        <translation>Auf diesem Computer transkribieren</translation>
    </message>
    <message id="local.subtitle">
        <source>Private and free; works without a network. Needs a downloaded model.</source>
        <translation>Privat und kostenlos, auch ohne Netz. Braucht ein geladenes Modell.</translation>
    </message>
    <message id="local.english_only">
        <source>English only</source>
        <translation>Nur Englisch</translation>
    </message>
    <message id="local.multilingual">
        <source>Many languages</source>
        <translation>Viele Sprachen</translation>
    </message>
    <message id="local.download">
        <source>Download</source>
        <translation>Laden</translation>
    </message>
    <message id="local.cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="local.use">
        <source>Use</source>
        <translation>Verwenden</translation>
    </message>
    <message id="local.delete">
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message id="local.choose_file">
        <source>Use a model file…</source>
        <translation>Modelldatei verwenden…</translation>
    </message>
    <message id="local.choose_title">
        <source>Choose a whisper model file</source>
        <translation>Whisper-Modelldatei wählen</translation>
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
    <message id="clipboard.previousNotKeptWhole">
        <source>Previous clipboard could not be kept whole</source>
        <translation>Vorherige Zwischenablage konnte nicht vollständig erhalten werden</translation>
    </message>
    <message id="clipboard.untypeableCharacters">
        <source>Could not type: %1 (the whole text is in the history)</source>
        <translation>Nicht tippbar: %1 (der ganze Text steht im Verlauf)</translation>
    </message>
    <message id="overlay.recording_limit">
        <source>Recording stopped at 10 minutes</source>
        <translation>Aufnahme nach 10 Minuten beendet</translation>
    </message>
    <message id="hotkey.field">
        <source>Hotkey</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message id="onboarding.engine.title">
        <source>Speech to Text</source>
        <translation>Sprache zu Text</translation>
    </message>
    <message id="onboarding.engine.description">
        <source>Choose where your words are turned into text.</source>
        <translation>Wähle, wo deine Worte zu Text werden.</translation>
    </message>
    <message id="onboarding.engine.local">
        <source>On this computer</source>
        <translation>Auf diesem Computer</translation>
    </message>
    <message id="onboarding.engine.own">
        <source>Your own key or server</source>
        <translation>Eigener Schlüssel oder Server</translation>
    </message>
    <message id="onboarding.engine.backend">
        <source>Quillo's service</source>
        <translation>Quillos Dienst</translation>
    </message>
    <message id="onboarding.engine.local.offer">
        <source>Private, works offline. Recommended: %1 (%2); lighter and less accurate: %3 (%4), in the settings.</source>
        <translation>Privat, funktioniert offline. Empfohlen: %1 (%2); leichter und ungenauer: %3 (%4), in den Einstellungen.</translation>
    </message>
    <message id="onboarding.engine.local.progress">
        <source>Downloading… %1 %</source>
        <translation>Wird geladen… %1 %</translation>
    </message>
    <message id="local.download_progress">
        <source>Download progress</source>
        <translation>Fortschritt des Downloads</translation>
    </message>
    <message id="onboarding.engine.local.unsupported">
        <source>This processor lacks %1, which speech to text on this computer needs.</source>
        <translation>Diesem Prozessor fehlt %1, das die Spracherkennung auf diesem Computer braucht.</translation>
    </message>
    <message id="onboarding.engine.local.ready">
        <source>%1 is ready on this computer.</source>
        <translation>%1 ist auf diesem Computer bereit.</translation>
    </message>
    <message id="onboarding.engine.later">
        <source>Set Up Later</source>
        <translation>Später einrichten</translation>
    </message>
    <message id="onboarding.ready.open_connection">
        <source>Open Connection Settings</source>
        <translation>Verbindungseinstellungen öffnen</translation>
    </message>
    <message id="onboarding.ready.missing_title">
        <source>Speech to Text Is Not Set Up</source>
        <translation>Sprache zu Text ist nicht eingerichtet</translation>
    </message>
    <message id="onboarding.ready.missing_subtitle">
        <source>Quillo cannot turn your words into text yet: choose an engine in the Connection settings.</source>
        <translation>Quillo kann deine Worte noch nicht in Text umwandeln: Wähle eine Methode in den Verbindungseinstellungen.</translation>
    </message>
    <message id="onboarding.ready.try.hint">
        <source>Try it here:</source>
        <translation>Hier ausprobieren:</translation>
    </message>
    <message id="onboarding.ready.try.placeholder">
        <source>Your words appear here</source>
        <translation>Hier erscheinen deine Worte</translation>
    </message>
    <message id="onboarding.ready.try.field">
        <source>Try a dictation</source>
        <translation>Diktat ausprobieren</translation>
    </message>
    <message id="onboarding.ready.try.description">
        <source>Hold %1 and speak; your words appear in this field.</source>
        <translation>Halte %1 gedrückt und sprich; deine Worte erscheinen in diesem Feld.</translation>
    </message>
    <message id="engine.summary.local">
        <source>Speech to text: this computer (%1)</source>
        <translation>Sprache zu Text: dieser Computer (%1)</translation>
    </message>
    <message id="engine.summary.own">
        <source>Speech to text: your own server</source>
        <translation>Sprache zu Text: eigener Server</translation>
    </message>
    <message id="engine.summary.service">
        <source>Speech to text: Quillo's service</source>
        <translation>Sprache zu Text: Quillos Dienst</translation>
    </message>
    <message id="engine.summary.downloading">
        <source>Downloading speech model… %1 %</source>
        <translation>Sprachmodell wird geladen… %1 %</translation>
    </message>
    <message id="engine.summary.model_missing">
        <source>Speech model missing: %1</source>
        <translation>Sprachmodell fehlt: %1</translation>
    </message>
    <message id="engine.summary.key_missing">
        <source>Speech to text: API key missing</source>
        <translation>Sprache zu Text: API-Schlüssel fehlt</translation>
    </message>
    <message id="engine.summary.not_set_up">
        <source>Speech to text: not set up</source>
        <translation>Sprache zu Text: nicht eingerichtet</translation>
    </message>
    <message id="hotkey.gnome.choose_another">
        <source>Choose another</source>
        <translation>Anderes wählen</translation>
    </message>
    <message id="hotkey.gnome.free_keys">
        <source>Free these keys in GNOME</source>
        <translation>Tasten in GNOME freigeben</translation>
    </message>
    <message id="hotkey.gnome.free_failed">
        <source>GNOME did not let Quillo change that shortcut. Choose another one.</source>
        <translation>GNOME hat Quillo dieses Tastenkürzel nicht ändern lassen. Wähle ein anderes.</translation>
    </message>
    <message id="hotkey.gnome.conflict">
        <source>GNOME already uses this shortcut for “%1”. Choose another one, or free these keys in GNOME for Quillo.</source>
        <translation>GNOME verwendet dieses Tastenkürzel schon für „%1“. Wähle ein anderes oder gib die Tasten in GNOME für Quillo frei.</translation>
    </message>
    <message id="hotkey.gnome.hold_unavailable">
        <source>GNOME's key repeat is off, so holding the shortcut cannot be told from a tap: press it twice to dictate hands-free, or turn key repeat on in GNOME's keyboard settings.</source>
        <translation>Die Tastenwiederholung von GNOME ist aus, daher lässt sich Halten nicht von kurzem Drücken unterscheiden: drücke das Tastenkürzel zweimal, um freihändig zu diktieren, oder schalte die Tastenwiederholung in den Tastatureinstellungen von GNOME ein.</translation>
    </message>
    <message id="session.gnome.custom_shortcut">
        <source>The hotkey is Quillo's own GNOME keyboard shortcut (“Quillo” in GNOME's keyboard settings). GNOME reports only presses and key repeats: a hold ends when the repeats stop.</source>
        <translation>Der Hotkey ist Quillos eigenes GNOME-Tastenkürzel („Quillo“ in den Tastatureinstellungen von GNOME). GNOME meldet nur Tastendrücke und Tastenwiederholungen: Halten endet, wenn die Wiederholungen aufhören.</translation>
    </message>
    <message id="session.gnome.no_tray">
        <source>GNOME shows no tray icons. Dictation works without Quillo's icon; start Quillo again from the applications overview to open these settings, or install GNOME's AppIndicator extension to get the icon back.</source>
        <translation>GNOME zeigt keine Symbole im Benachrichtigungsfeld. Diktieren funktioniert auch ohne Quillos Symbol; starte Quillo erneut aus der Anwendungsübersicht, um diese Einstellungen zu öffnen, oder installiere die AppIndicator-Erweiterung von GNOME, um das Symbol zurückzubekommen.</translation>
    </message>
    <message id="general.session.gnome_route">
        <source>Use a GNOME keyboard shortcut for the hotkey</source>
        <translation>GNOME-Tastenkürzel für den Hotkey verwenden</translation>
    </message>
    <message id="general.session.gnome_route_hint">
        <source>Instead of the desktop's shortcut portal: try this if the hotkey does nothing while some windows have the focus. Applies at Quillo's next start.</source>
        <translation>Statt des Tastenkürzel-Portals des Desktops: versuche das, wenn der Hotkey nichts tut, solange manche Fenster den Fokus haben. Gilt ab dem nächsten Start von Quillo.</translation>
    </message>
    <message id="local.recommended">
        <source>Recommended</source>
        <translation>Empfohlen</translation>
    </message>
    <message id="local.recommended_graphics_card">
        <source>Recommended for your graphics card: about %1 s for 10 s of speech</source>
        <translation>Empfohlen für deine Grafikkarte: etwa %1 s für 10 s Sprache</translation>
    </message>
    <message id="session.limit.gnome_paste">
        <source>Dictated text goes on the clipboard of XWayland, which GNOME hands on to every window, and is pasted with Shift+Insert, which text fields and terminals alike understand; the clipboard is put back afterwards.</source>
        <translation>Diktierter Text kommt in die Zwischenablage von XWayland, die GNOME an jedes Fenster weitergibt, und wird mit Umschalt+Einfg eingefügt, das Textfelder wie Terminals verstehen; danach wird die Zwischenablage wiederhergestellt.</translation>
    </message>
    <message id="session.limit.gnome_typing">
        <source>No X server (XWayland) in this session: dictated text is typed. Characters your keyboard layout lacks are entered by their Unicode code where IBus runs, and otherwise named on the overlay; the whole text stays in the history.</source>
        <translation>Kein X-Server (XWayland) in dieser Sitzung: diktierter Text wird getippt. Zeichen, die deiner Tastaturbelegung fehlen, werden per Unicode-Code eingegeben, wo IBus läuft, und sonst im Overlay genannt; der ganze Text bleibt im Verlauf.</translation>
    </message>
</context>
</TS>
