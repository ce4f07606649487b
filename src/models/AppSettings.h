#pragma once

#include "models/DictationEntry.h"
#include "models/DictationMode.h"
#include "models/WordLists.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class DefaultsStore;
class SecretCache;

// The user's preferences. Every property reads its key from the store at each access and writes
// it at each assignment; defaults are never written by themselves. Main thread only.
class AppSettings : public QObject {
    Q_OBJECT
public:
    using DictationEntry = ::DictationEntry;

    struct Keys {
        static constexpr char openAIAPIKey[] = "openai_api_key";
        static constexpr char anthropicAPIKey[] = "anthropic_api_key";
        static constexpr char selectedMode[] = "selected_mode";
        static constexpr char whisperLanguage[] = "whisper_language";
        static constexpr char llmProvider[] = "llm_provider";
        static constexpr char launchAtLogin[] = "launch_at_login";
        static constexpr char playSoundOnComplete[] = "play_sound_on_complete";
        static constexpr char showOverlay[] = "show_overlay";
        static constexpr char appLanguage[] = "app_language";
        static constexpr char hotkeyKeyCode[] = "hotkey_keycode";
        static constexpr char hotkeyModifiers[] = "hotkey_modifiers";
        static constexpr char useBackend[] = "use_backend";
        static constexpr char customPromptPrefix[] = "custom_prompt_";
        static constexpr char dictationHistory[] = "dictation_history";
        static constexpr char dictationHistoryBackupPrefix[] = "dictation_history_backup_";
        static constexpr char deviceId[] = "quillo_device_id";
        static constexpr char showInDock[] = "show_in_dock";
        static constexpr char onboardingCompleted[] = "onboarding_completed";
        static constexpr char launchAtLoginSet[] = "launch_at_login_set";
        static constexpr char openAIBaseURL[] = "openai_base_url";
        static constexpr char transcriptionModel[] = "transcription_model";
        static constexpr char chatModel[] = "chat_model";
        static constexpr char anthropicModel[] = "anthropic_model";
        static constexpr char inputDevice[] = "input_device";
        static constexpr char vocabulary[] = "vocabulary";
        static constexpr char replacements[] = "replacements";
        static constexpr char wordListBackupInfix[] = "_backup_";
        static constexpr char localTranscription[] = "local_transcription";
        static constexpr char localModel[] = "local_model";
        static constexpr char localTranscriptionFast[] = "local_transcription_fast";
        static constexpr char livePreview[] = "live_preview";
        static constexpr char useGpu[] = "use_gpu";
        static constexpr char gnomeCustomShortcut[] = "gnome_custom_shortcut";
        static constexpr char remoteDesktopRestoreToken[] = "remote_desktop_restore_token";
    };

    // The keys kept in the keyring rather than the preferences store.
    static QStringList secretKeys();

    explicit AppSettings(DefaultsStore& store, QObject* parent = nullptr);

    // The process-wide instance; the store is installed once at start-up.
    static AppSettings& shared();
    static void installSharedStore(DefaultsStore& store);

    DefaultsStore& store() const { return store_; }
    // From now on the secret keys are read from, and written through, `secrets` (which outlives
    // this object); until then they are the store's.
    void useSecrets(SecretCache& secrets);
    SecretCache* secrets() const { return secrets_; }

    QString openAIAPIKey() const;
    void setOpenAIAPIKey(const QString& value);
    QString anthropicAPIKey() const;
    void setAnthropicAPIKey(const QString& value);
    QString selectedModeRaw() const;
    void setSelectedModeRaw(const QString& value);
    QString whisperLanguage() const;
    void setWhisperLanguage(const QString& value);
    QString llmProvider() const;
    void setLlmProvider(const QString& value);
    bool launchAtLogin() const;
    void setLaunchAtLogin(bool value);
    bool playSoundOnComplete() const;
    void setPlaySoundOnComplete(bool value);
    bool showOverlay() const;
    void setShowOverlay(bool value);
    QString appLanguage() const;
    void setAppLanguage(const QString& value);
    qint64 hotkeyKeyCode() const;
    void setHotkeyKeyCode(qint64 value);
    qint64 hotkeyModifiers() const;
    void setHotkeyModifiers(qint64 value);
    bool useBackend() const;
    void setUseBackend(bool value);
    // Speech to text on this computer instead of a remote service; the model by name
    // ("base.en") or as an absolute path to a model file.
    bool localTranscription() const;
    void setLocalTranscription(bool value);
    QString localModel() const;
    void setLocalModel(const QString& value);
    // Faster, may be less accurate: the model listens to the recording's length rather than
    // its full window.
    bool localTranscriptionFast() const;
    void setLocalTranscriptionFast(bool value);
    // While recording on this computer's engine, the overlay shows the words transcribed so far.
    bool livePreview() const;
    void setLivePreview(bool value);
    // This computer's engine runs on the graphics card where there is one (the processor
    // otherwise, whatever this says).
    bool useGpu() const;
    void setUseGpu(bool value);
    // On GNOME with a working GlobalShortcuts portal: bind the hotkey through Quillo's own GNOME
    // custom shortcut instead, for desktops whose portal shortcut some windows swallow. Read at
    // start-up.
    bool gnomeCustomShortcut() const;
    void setGnomeCustomShortcut(bool value);

    // The OpenAI-compatible server used for transcription and chat on the direct route, and
    // the model names sent to it; Anthropic keeps its host, its model may be overridden.
    QString openAIBaseURL() const;
    void setOpenAIBaseURL(const QString& value);
    QString transcriptionModel() const;
    void setTranscriptionModel(const QString& value);
    QString chatModel() const;
    void setChatModel(const QString& value);
    QString anthropicModel() const;
    void setAnthropicModel(const QString& value);
    // The sound server's name of the chosen microphone; empty for the system default.
    QString inputDevice() const;
    void setInputDevice(const QString& value);
    // Words handed to speech-to-text as its prompt, and the replacements applied to
    // transcripts. An undecodable stored value reads as empty and is kept aside before the
    // first write replaces it.
    QStringList vocabulary() const;
    void setVocabulary(const QStringList& words);
    QList<Replacement> replacements() const;
    void setReplacements(const QList<Replacement>& replacements);

    QString backendURL() const;
    QString apiSecret() const;

    DictationMode selectedMode() const;
    void setSelectedMode(DictationMode mode);
    bool hasValidAPIKey() const;

    QString customPrompt(DictationMode mode) const;
    QString effectivePrompt(DictationMode mode) const;
    void setCustomPrompt(const QString& prompt, DictationMode mode);

    QList<DictationEntry> recentDictations() const;
    void addDictation(const DictationEntry& entry);

    // For keys that are not properties ("show_in_dock", ...): writes and announces the change.
    void setStoredBoolean(const QString& key, bool value);

signals:
    // Any change made through this object; `key` names what changed.
    void changed(const QString& key);

private:
    QString stringValue(const char* key, const QString& fallback) const;
    QString nonBlankString(const char* key, const QString& fallback) const;
    bool booleanValue(const char* key, bool fallback) const;
    qint64 integerValue(const char* key, qint64 fallback) const;
    qint64 checkedIntegerValue(const char* key, qint64 fallback, bool (*inRange)(qint64)) const;
    void write(const char* key, const QString& value);
    void write(const char* key, bool value);
    void write(const char* key, qint64 value);
    void keepUndecodableHistory(const QByteArray& document);
    void writeWordList(const char* key, const QByteArray& document, bool storedIsDecodable);

    QString secretValue(const char* key) const;
    void writeSecret(const char* key, const QString& value);

    DefaultsStore& store_;
    SecretCache* secrets_ = nullptr;
    // The out-of-range value last reported per key.
    mutable QHash<QByteArray, qint64> reportedOutOfRange_;
};
