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
    <message id="nav.connection">
        <source>Connection</source>
        <translation>Connection</translation>
    </message>
    <message id="connection.title">
        <source>Connection</source>
        <translation>Connection</translation>
    </message>
    <message id="connection.route">
        <source>Where your speech is turned into text</source>
        <translation>Where your speech is turned into text</translation>
    </message>
    <message id="connection.route.backend">
        <source>Quillo service</source>
        <translation>Quillo service</translation>
    </message>
    <message id="connection.route.own">
        <source>Own API keys</source>
        <translation>Own API keys</translation>
    </message>
    <message id="connection.route.title">
        <source>Route</source>
        <translation>Route</translation>
    </message>
    <message id="connection.route.backend_info">
        <source>Quillo's service transcribes and formats for you: no key needed.</source>
        <translation>Quillo's service transcribes and formats for you: no key needed.</translation>
    </message>
    <message id="connection.route.own_info">
        <source>Your own keys, sent only to the servers below.</source>
        <translation>Your own keys, sent only to the servers below.</translation>
    </message>
    <message id="connection.openai">
        <source>OpenAI or a compatible server</source>
        <translation>OpenAI or a compatible server</translation>
    </message>
    <message id="connection.anthropic">
        <source>Anthropic</source>
        <translation>Anthropic</translation>
    </message>
    <message id="connection.formatting">
        <source>Formatting</source>
        <translation>Formatting</translation>
    </message>
    <message id="connection.openai_key">
        <source>OpenAI API key</source>
        <translation>OpenAI API key</translation>
    </message>
    <message id="connection.base_url">
        <source>Server address</source>
        <translation>Server address</translation>
    </message>
    <message id="connection.base_url.hint">
        <source>A whisper.cpp, vLLM, LocalAI or Ollama server works too</source>
        <translation>A whisper.cpp, vLLM, LocalAI or Ollama server works too</translation>
    </message>
    <message id="connection.transcription_model">
        <source>Transcription model</source>
        <translation>Transcription model</translation>
    </message>
    <message id="connection.chat_model">
        <source>Formatting model</source>
        <translation>Formatting model</translation>
    </message>
    <message id="connection.anthropic_key">
        <source>Anthropic API key</source>
        <translation>Anthropic API key</translation>
    </message>
    <message id="connection.anthropic_model">
        <source>Model</source>
        <translation>Model</translation>
    </message>
    <message id="connection.llm_provider">
        <source>Formatting provider</source>
        <translation>Formatting provider</translation>
    </message>
    <message id="connection.llm_provider.hint">
        <source>Rewrites the transcript in the chosen mode; raw mode skips it</source>
        <translation>Rewrites the transcript in the chosen mode; raw mode skips it</translation>
    </message>
    <message id="connection.check">
        <source>Check connection</source>
        <translation>Check connection</translation>
    </message>
    <message id="connection.check.success">
        <source>Connected</source>
        <translation>Connected</translation>
    </message>
    <message id="connection.check.key_rejected">
        <source>Key rejected</source>
        <translation>Key rejected</translation>
    </message>
    <message id="connection.check.unreachable">
        <source>Server not reachable</source>
        <translation>Server not reachable</translation>
    </message>
    <message id="connection.check.status">
        <source>Server answered with status %1</source>
        <translation>Server answered with status %1</translation>
    </message>
    <message id="connection.check.insecure">
        <source>Not sent: this address needs https</source>
        <translation>Not sent: this address needs https</translation>
    </message>
    <message id="connection.check.running">
        <source>Checking…</source>
        <translation>Checking…</translation>
    </message>
    <message id="connection.http_local">
        <source>Plain http: accepted because the server is on this computer or your local network.</source>
        <translation>Plain http: accepted because the server is on this computer or your local network.</translation>
    </message>
    <message id="connection.http_refused">
        <source>Plain http is only allowed to this computer or your local network: use https.</source>
        <translation>Plain http is only allowed to this computer or your local network: use https.</translation>
    </message>
    <message id="connection.address_invalid">
        <source>Not a server address: enter it like https://api.example.com</source>
        <translation>Not a server address: enter it like https://api.example.com</translation>
    </message>
    <message id="connection.key.show">
        <source>Show</source>
        <translation>Show</translation>
    </message>
    <message id="connection.keys.keyring">
        <source>Keys are kept in the system keyring</source>
        <translation>Keys are kept in the system keyring</translation>
    </message>
    <message id="connection.keys.no_keyring">
        <source>Keys are kept in Quillo's preferences file (no keyring on this desktop)</source>
        <translation>Keys are kept in Quillo's preferences file (no keyring on this desktop)</translation>
    </message>
    <message id="connection.keys.keyring_refused">
        <source>Keys are kept in Quillo's preferences file (the keyring refused them)</source>
        <translation>Keys are kept in Quillo's preferences file (the keyring refused them)</translation>
    </message>
    <message id="connection.key.hide">
        <source>Hide</source>
        <translation>Hide</translation>
    </message>
    <message id="key.ctrl">
        <source>Ctrl</source>
        <translation>Ctrl</translation>
    </message>
    <message id="key.alt">
        <source>Alt</source>
        <translation>Alt</translation>
    </message>
    <message id="key.shift">
        <source>Shift</source>
        <translation>Shift</translation>
    </message>
    <message id="key.super">
        <source>Super</source>
        <translation>Super</translation>
    </message>
    <message id="key.return">
        <source>Enter</source>
        <translation>Enter</translation>
    </message>
    <message id="key.tab">
        <source>Tab</source>
        <translation>Tab</translation>
    </message>
    <message id="key.space">
        <source>Space</source>
        <translation>Space</translation>
    </message>
    <message id="key.backspace">
        <source>Backspace</source>
        <translation>Backspace</translation>
    </message>
    <message id="key.right_super">
        <source>Right Super</source>
        <translation>Right Super</translation>
    </message>
    <message id="key.right_shift">
        <source>Right Shift</source>
        <translation>Right Shift</translation>
    </message>
    <message id="key.altgr">
        <source>AltGr</source>
        <translation>AltGr</translation>
    </message>
    <message id="key.right_ctrl">
        <source>Right Ctrl</source>
        <translation>Right Ctrl</translation>
    </message>
    <message id="key.delete">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message id="key.ctrl.label">
        <source>Control</source>
        <translation>Control</translation>
    </message>
    <message id="key.alt.label">
        <source>Alt or AltGr</source>
        <translation>Alt or AltGr</translation>
    </message>
    <message id="key.shift.label">
        <source>Shift</source>
        <translation>Shift</translation>
    </message>
    <message id="key.super.label">
        <source>Windows key</source>
        <translation>Windows key</translation>
    </message>
    <message id="system.microphone">
        <source>Microphone</source>
        <translation>Microphone</translation>
    </message>
    <message id="system.microphone.input">
        <source>Input</source>
        <translation>Input</translation>
    </message>
    <message id="system.microphone.level">
        <source>Input level</source>
        <translation>Input level</translation>
    </message>
    <message id="system.microphone.default">
        <source>System default</source>
        <translation>System default</translation>
    </message>
    <message id="system.microphone.missing">
        <source>%1 (not connected)</source>
        <translation>%1 (not connected)</translation>
    </message>
    <message id="vocabulary.title">
        <source>Vocabulary</source>
        <translation>Vocabulary</translation>
    </message>
    <message id="vocabulary.hint">
        <source>Names and words that speech-to-text should know, one per line. They go with every transcription through your own server; Quillo's service has no field for them.</source>
        <translation>Names and words that speech-to-text should know, one per line. They go with every transcription through your own server; Quillo's service has no field for them.</translation>
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
        <translation>Replacements</translation>
    </message>
    <message id="replacements.hint">
        <source>One per line as heard → written. Whole words, letter case ignored, applied before formatting.</source>
        <translation>One per line as heard → written. Whole words, letter case ignored, applied before formatting.</translation>
    </message>
    <message id="replacements.placeholder">
        <source>cube control → kubectl
quill o → Quillo</source>
        <translation>cube control → kubectl
quill o → Quillo</translation>
    </message>
    <message id="home.copied">
        <source>Copied</source>
        <translation>Copied</translation>
    </message>
    <message id="home.copy_hint">
        <source>Click to copy</source>
        <translation>Click to copy</translation>
    </message>
    <message id="home.copy">
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message id="general.fn_unavailable">
        <source>The fn key cannot be a hotkey on this desktop: the keyboard keeps it to itself.</source>
        <translation>The fn key cannot be a hotkey on this desktop: the keyboard keeps it to itself.</translation>
    </message>
    <message id="onboarding.mic.missing">
        <source>No microphone found. You can continue and connect one later.</source>
        <translation>No microphone found. You can continue and connect one later.</translation>
    </message>
    <message id="general.session.title">
        <source>This session</source>
        <translation>This session</translation>
    </message>
    <message id="general.session.bindings_hint">
        <source>Add these lines to the compositor's configuration (sway: ~/.config/sway/config) and reload it, so that the hotkey reaches Quillo:</source>
        <translation>Add these lines to the compositor's configuration (sway: ~/.config/sway/config) and reload it, so that the hotkey reaches Quillo:</translation>
    </message>
    <message id="general.session.bindings_unavailable">
        <source>This hotkey cannot be bound through the compositor's key bindings: choose one with a key other than a modifier.</source>
        <translation>This hotkey cannot be bound through the compositor's key bindings: choose one with a key other than a modifier.</translation>
    </message>
    <message id="session.limit.no_overlay">
        <source>No X server (XWayland) in this session: the overlay is not shown.</source>
        <translation>No X server (XWayland) in this session: the overlay is not shown.</translation>
    </message>
    <message id="session.limit.clipboard">
        <source>The compositor offers no clipboard control: the clipboard goes through XWayland and reaches Wayland applications only as far as the compositor passes it on.</source>
        <translation>The compositor offers no clipboard control: the clipboard goes through XWayland and reaches Wayland applications only as far as the compositor passes it on.</translation>
    </message>
    <message id="session.limit.no_clipboard">
        <source>The compositor offers no clipboard control and there is no X server: dictated text cannot be pasted.</source>
        <translation>The compositor offers no clipboard control and there is no X server: dictated text cannot be pasted.</translation>
    </message>
    <message id="session.limit.paste">
        <source>The compositor offers no virtual keyboard: text is pasted only into X11 applications.</source>
        <translation>The compositor offers no virtual keyboard: text is pasted only into X11 applications.</translation>
    </message>
    <message id="session.limit.bindings">
        <source>The hotkey comes from the compositor's key bindings; a lone modifier key cannot be bound that way.</source>
        <translation>The hotkey comes from the compositor's key bindings; a lone modifier key cannot be bound that way.</translation>
    </message>
    <message id="session.limit.cancel_key">
        <source>Esc cancels a dictation only while an X11 application has the focus.</source>
        <translation>Esc cancels a dictation only while an X11 application has the focus.</translation>
    </message>
    <message id="session.limit.no_cancel_key">
        <source>Esc cannot cancel a dictation in this session.</source>
        <translation>Esc cannot cancel a dictation in this session.</translation>
    </message>
    <message id="session.limit.typing">
        <source>The compositor offers no clipboard control: dictated text is typed into the focused window instead of pasted.</source>
        <translation>The compositor offers no clipboard control: dictated text is typed into the focused window instead of pasted.</translation>
    </message>
    <message id="session.limit.lone_modifier">
        <source>The desktop binds key combinations only: a lone modifier key cannot be the hotkey in this session.</source>
        <translation>The desktop binds key combinations only: a lone modifier key cannot be the hotkey in this session.</translation>
    </message>
    <message id="session.limit.hotkey">
        <source>The hotkey reaches Quillo only while an X11 application has the focus.</source>
        <translation>The hotkey reaches Quillo only while an X11 application has the focus.</translation>
    </message>
    <message id="local.fast_title">
        <source>Faster, may be less accurate</source>
        <translation>Faster, may be less accurate</translation>
    </message>
    <message id="local.fast_subtitle">
        <source>The model listens to the length of the dictation rather than its full 30-second window.</source>
        <translation>The model listens to the length of the dictation rather than its full 30-second window.</translation>
    </message>
    <message id="local.live_preview_title">
        <source>Show the words while you speak</source>
        <translation>Show the words while you speak</translation>
    </message>
    <message id="local.live_preview_subtitle">
        <source>The overlay shows the latest words under the waveform as they are transcribed.</source>
        <translation>The overlay shows the latest words under the waveform as they are transcribed.</translation>
    </message>
    <message id="local.graphics_card_title">
        <source>Use the graphics card</source>
        <translation>Use the graphics card</translation>
    </message>
    <message id="local.device_graphics_card">
        <source>Graphics card: %1</source>
        <translation>Graphics card: %1</translation>
    </message>
    <message id="local.device_processor">
        <source>Processor, %1 threads</source>
        <translation>Processor, %1 threads</translation>
    </message>
    <message id="local.title">
        <source>Transcribe on this computer</source>
        <translation>Transcribe on this computer</translation>
    </message>
    <message id="local.subtitle">
        <source>Private and free; works without a network. Needs a downloaded model.</source>
        <translation>Private and free; works without a network. Needs a downloaded model.</translation>
    </message>
    <message id="local.english_only">
        <source>English only</source>
        <translation>English only</translation>
    </message>
    <message id="local.multilingual">
        <source>Many languages</source>
        <translation>Many languages</translation>
    </message>
    <message id="local.download">
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message id="local.cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="local.use">
        <source>Use</source>
        <translation>Use</translation>
    </message>
    <message id="local.delete">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message id="local.choose_file">
        <source>Use a model file…</source>
        <translation>Use a model file…</translation>
    </message>
    <message id="local.choose_title">
        <source>Choose a whisper model file</source>
        <translation>Choose a whisper model file</translation>
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
    <message id="clipboard.previousNotKeptWhole">
        <source>Previous clipboard could not be kept whole</source>
        <translation>Previous clipboard could not be kept whole</translation>
    </message>
    <message id="clipboard.untypeableCharacters">
        <source>Could not type: %1 (the whole text is in the history)</source>
        <translation>Could not type: %1 (the whole text is in the history)</translation>
    </message>
    <message id="overlay.recording_limit">
        <source>Recording stopped at 10 minutes</source>
        <translation>Recording stopped at 10 minutes</translation>
    </message>
    <message id="hotkey.field">
        <source>Hotkey</source>
        <translation>Hotkey</translation>
    </message>
    <message id="onboarding.engine.title">
        <source>Speech to Text</source>
        <translation>Speech to Text</translation>
    </message>
    <message id="onboarding.engine.description">
        <source>Choose where your words are turned into text.</source>
        <translation>Choose where your words are turned into text.</translation>
    </message>
    <message id="onboarding.engine.local">
        <source>On this computer</source>
        <translation>On this computer</translation>
    </message>
    <message id="onboarding.engine.own">
        <source>Your own key or server</source>
        <translation>Your own key or server</translation>
    </message>
    <message id="onboarding.engine.backend">
        <source>Quillo's service</source>
        <translation>Quillo's service</translation>
    </message>
    <message id="onboarding.engine.local.offer">
        <source>Private, works offline. Recommended: %1 (%2); lighter and less accurate: %3 (%4), in the settings.</source>
        <translation>Private, works offline. Recommended: %1 (%2); lighter and less accurate: %3 (%4), in the settings.</translation>
    </message>
    <message id="onboarding.engine.local.progress">
        <source>Downloading… %1 %</source>
        <translation>Downloading… %1 %</translation>
    </message>
    <message id="local.download_progress">
        <source>Download progress</source>
        <translation>Download progress</translation>
    </message>
    <message id="onboarding.engine.local.unsupported">
        <source>This processor lacks %1, which speech to text on this computer needs.</source>
        <translation>This processor lacks %1, which speech to text on this computer needs.</translation>
    </message>
    <message id="onboarding.engine.local.ready">
        <source>%1 is ready on this computer.</source>
        <translation>%1 is ready on this computer.</translation>
    </message>
    <message id="onboarding.engine.later">
        <source>Set Up Later</source>
        <translation>Set Up Later</translation>
    </message>
    <message id="onboarding.ready.open_connection">
        <source>Open Connection Settings</source>
        <translation>Open Connection Settings</translation>
    </message>
    <message id="onboarding.ready.missing_title">
        <source>Speech to Text Is Not Set Up</source>
        <translation>Speech to Text Is Not Set Up</translation>
    </message>
    <message id="onboarding.ready.missing_subtitle">
        <source>Quillo cannot turn your words into text yet: choose an engine in the Connection settings.</source>
        <translation>Quillo cannot turn your words into text yet: choose an engine in the Connection settings.</translation>
    </message>
    <message id="onboarding.ready.try.hint">
        <source>Try it here:</source>
        <translation>Try it here:</translation>
    </message>
    <message id="onboarding.ready.try.placeholder">
        <source>Your words appear here</source>
        <translation>Your words appear here</translation>
    </message>
    <message id="onboarding.ready.try.field">
        <source>Try a dictation</source>
        <translation>Try a dictation</translation>
    </message>
    <message id="onboarding.ready.try.description">
        <source>Hold %1 and speak; your words appear in this field.</source>
        <translation>Hold %1 and speak; your words appear in this field.</translation>
    </message>
    <message id="engine.summary.local">
        <source>Speech to text: this computer (%1)</source>
        <translation>Speech to text: this computer (%1)</translation>
    </message>
    <message id="engine.summary.own">
        <source>Speech to text: your own server</source>
        <translation>Speech to text: your own server</translation>
    </message>
    <message id="engine.summary.service">
        <source>Speech to text: Quillo's service</source>
        <translation>Speech to text: Quillo's service</translation>
    </message>
    <message id="engine.summary.downloading">
        <source>Downloading speech model… %1 %</source>
        <translation>Downloading speech model… %1 %</translation>
    </message>
    <message id="engine.summary.model_missing">
        <source>Speech model missing: %1</source>
        <translation>Speech model missing: %1</translation>
    </message>
    <message id="engine.summary.key_missing">
        <source>Speech to text: API key missing</source>
        <translation>Speech to text: API key missing</translation>
    </message>
    <message id="engine.summary.not_set_up">
        <source>Speech to text: not set up</source>
        <translation>Speech to text: not set up</translation>
    </message>
    <message id="hotkey.gnome.choose_another">
        <source>Choose another</source>
        <translation>Choose another</translation>
    </message>
    <message id="hotkey.gnome.free_keys">
        <source>Free these keys in GNOME</source>
        <translation>Free these keys in GNOME</translation>
    </message>
    <message id="hotkey.gnome.free_failed">
        <source>GNOME did not let Quillo change that shortcut. Choose another one.</source>
        <translation>GNOME did not let Quillo change that shortcut. Choose another one.</translation>
    </message>
    <message id="hotkey.gnome.conflict">
        <source>GNOME already uses this shortcut for “%1”. Choose another one, or free these keys in GNOME for Quillo.</source>
        <translation>GNOME already uses this shortcut for “%1”. Choose another one, or free these keys in GNOME for Quillo.</translation>
    </message>
    <message id="hotkey.gnome.hold_unavailable">
        <source>GNOME's key repeat is off, so holding the shortcut cannot be told from a tap: press it twice to dictate hands-free, or turn key repeat on in GNOME's keyboard settings.</source>
        <translation>GNOME's key repeat is off, so holding the shortcut cannot be told from a tap: press it twice to dictate hands-free, or turn key repeat on in GNOME's keyboard settings.</translation>
    </message>
    <message id="session.gnome.custom_shortcut">
        <source>The hotkey is Quillo's own GNOME keyboard shortcut (“Quillo” in GNOME's keyboard settings). GNOME reports only presses and key repeats: a hold ends when the repeats stop.</source>
        <translation>The hotkey is Quillo's own GNOME keyboard shortcut (“Quillo” in GNOME's keyboard settings). GNOME reports only presses and key repeats: a hold ends when the repeats stop.</translation>
    </message>
    <message id="session.gnome.no_tray">
        <source>GNOME shows no tray icons. Dictation works without Quillo's icon; start Quillo again from the applications overview to open these settings, or install GNOME's AppIndicator extension to get the icon back.</source>
        <translation>GNOME shows no tray icons. Dictation works without Quillo's icon; start Quillo again from the applications overview to open these settings, or install GNOME's AppIndicator extension to get the icon back.</translation>
    </message>
    <message id="general.session.gnome_route">
        <source>Use a GNOME keyboard shortcut for the hotkey</source>
        <translation>Use a GNOME keyboard shortcut for the hotkey</translation>
    </message>
    <message id="general.session.gnome_route_hint">
        <source>Instead of the desktop's shortcut portal: try this if the hotkey does nothing while some windows have the focus. Applies at Quillo's next start.</source>
        <translation>Instead of the desktop's shortcut portal: try this if the hotkey does nothing while some windows have the focus. Applies at Quillo's next start.</translation>
    </message>
    <message id="local.recommended">
        <source>Recommended</source>
        <translation>Recommended</translation>
    </message>
    <message id="local.recommended_graphics_card">
        <source>Recommended for your graphics card: about %1 s for 10 s of speech</source>
        <translation>Recommended for your graphics card: about %1 s for 10 s of speech</translation>
    </message>
    <message id="session.limit.gnome_paste">
        <source>Dictated text goes on the clipboard of XWayland, which GNOME hands on to every window, and is pasted with Shift+Insert, which text fields and terminals alike understand; the clipboard is put back afterwards.</source>
        <translation>Dictated text goes on the clipboard of XWayland, which GNOME hands on to every window, and is pasted with Shift+Insert, which text fields and terminals alike understand; the clipboard is put back afterwards.</translation>
    </message>
    <message id="session.limit.gnome_typing">
        <source>No X server (XWayland) in this session: dictated text is typed. Characters your keyboard layout lacks are entered by their Unicode code where IBus runs, and otherwise named on the overlay; the whole text stays in the history.</source>
        <translation>No X server (XWayland) in this session: dictated text is typed. Characters your keyboard layout lacks are entered by their Unicode code where IBus runs, and otherwise named on the overlay; the whole text stays in the history.</translation>
    </message>
</context>
</TS>
