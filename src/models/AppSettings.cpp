#include "models/AppSettings.h"

#include "BuildConfig.h"
#include "models/DictationHistory.h"
#include "platform/DefaultsStore.h"
#include "platform/Log.h"

#include <QDateTime>

namespace {

DefaultsStore*& sharedStore() {
    static DefaultsStore* store = nullptr;
    return store;
}

QString trimmedOfWhitespace(const QString& s) { return s.trimmed(); }

}  // namespace

AppSettings::AppSettings(DefaultsStore& store, QObject* parent) : QObject(parent), store_(store) {}

void AppSettings::installSharedStore(DefaultsStore& store) {
    Q_ASSERT_X(!sharedStore() || sharedStore() == &store, "AppSettings",
               "the shared store is installed once");
    sharedStore() = &store;
}

AppSettings& AppSettings::shared() {
    Q_ASSERT_X(sharedStore(), "AppSettings::shared", "installSharedStore() was not called");
    static AppSettings* instance = new AppSettings(*sharedStore());
    return *instance;
}

QString AppSettings::stringValue(const char* key, const QString& fallback) const {
    return store_.string(QLatin1String(key)).value_or(fallback);
}

// A value of another type than the property's reads as the default.
bool AppSettings::booleanValue(const char* key, bool fallback) const {
    const auto v = store_.value(QLatin1String(key));
    const bool* b = v ? std::get_if<bool>(&*v) : nullptr;
    return b ? *b : fallback;
}

qint64 AppSettings::integerValue(const char* key, qint64 fallback) const {
    const auto v = store_.value(QLatin1String(key));
    const qint64* n = v ? std::get_if<qint64>(&*v) : nullptr;
    return n ? *n : fallback;
}

void AppSettings::write(const char* key, const QString& value) {
    store_.setString(QLatin1String(key), value);
    emit changed(QLatin1String(key));
}

void AppSettings::write(const char* key, bool value) {
    store_.setBoolean(QLatin1String(key), value);
    emit changed(QLatin1String(key));
}

void AppSettings::write(const char* key, qint64 value) {
    store_.setInteger(QLatin1String(key), value);
    emit changed(QLatin1String(key));
}

void AppSettings::setStoredBoolean(const QString& key, bool value) {
    store_.setBoolean(key, value);
    emit changed(key);
}

QString AppSettings::openAIAPIKey() const { return stringValue(Keys::openAIAPIKey, {}); }
void AppSettings::setOpenAIAPIKey(const QString& v) { write(Keys::openAIAPIKey, v); }
QString AppSettings::anthropicAPIKey() const { return stringValue(Keys::anthropicAPIKey, {}); }
void AppSettings::setAnthropicAPIKey(const QString& v) { write(Keys::anthropicAPIKey, v); }
QString AppSettings::selectedModeRaw() const {
    return stringValue(Keys::selectedMode, QStringLiteral("email"));
}
void AppSettings::setSelectedModeRaw(const QString& v) { write(Keys::selectedMode, v); }
QString AppSettings::whisperLanguage() const {
    return stringValue(Keys::whisperLanguage, QStringLiteral("auto"));
}
void AppSettings::setWhisperLanguage(const QString& v) { write(Keys::whisperLanguage, v); }
QString AppSettings::llmProvider() const {
    return stringValue(Keys::llmProvider, QStringLiteral("openai"));
}
void AppSettings::setLlmProvider(const QString& v) { write(Keys::llmProvider, v); }
bool AppSettings::launchAtLogin() const { return booleanValue(Keys::launchAtLogin, false); }
void AppSettings::setLaunchAtLogin(bool v) { write(Keys::launchAtLogin, v); }
bool AppSettings::playSoundOnComplete() const {
    return booleanValue(Keys::playSoundOnComplete, true);
}
void AppSettings::setPlaySoundOnComplete(bool v) { write(Keys::playSoundOnComplete, v); }
bool AppSettings::showOverlay() const { return booleanValue(Keys::showOverlay, true); }
void AppSettings::setShowOverlay(bool v) { write(Keys::showOverlay, v); }
QString AppSettings::appLanguage() const {
    return stringValue(Keys::appLanguage, QStringLiteral("system"));
}
void AppSettings::setAppLanguage(const QString& v) { write(Keys::appLanguage, v); }
qint64 AppSettings::hotkeyKeyCode() const { return integerValue(Keys::hotkeyKeyCode, 49); }
void AppSettings::setHotkeyKeyCode(qint64 v) { write(Keys::hotkeyKeyCode, v); }
qint64 AppSettings::hotkeyModifiers() const { return integerValue(Keys::hotkeyModifiers, 2048); }
void AppSettings::setHotkeyModifiers(qint64 v) { write(Keys::hotkeyModifiers, v); }
bool AppSettings::useBackend() const { return booleanValue(Keys::useBackend, true); }
void AppSettings::setUseBackend(bool v) { write(Keys::useBackend, v); }
bool AppSettings::localTranscription() const {
    return booleanValue(Keys::localTranscription, false);
}
void AppSettings::setLocalTranscription(bool v) { write(Keys::localTranscription, v); }
QString AppSettings::localModel() const {
    return stringValue(Keys::localModel, QStringLiteral("base.en"));
}
void AppSettings::setLocalModel(const QString& v) { write(Keys::localModel, v); }

QString AppSettings::backendURL() const { return QString::fromUtf8(BuildConfig::backendUrl); }
QString AppSettings::apiSecret() const { return QStringLiteral("kestra-beta-5930"); }

DictationMode AppSettings::selectedMode() const {
    return DictationMode::fromRawValue(selectedModeRaw()).value_or(DictationMode::email);
}

void AppSettings::setSelectedMode(DictationMode mode) { setSelectedModeRaw(mode.rawValue()); }

bool AppSettings::hasValidAPIKey() const {
    if (useBackend()) {
        return true;
    }
    return !trimmedOfWhitespace(openAIAPIKey()).isEmpty();
}

static QString customPromptKey(DictationMode mode) {
    return QLatin1String(AppSettings::Keys::customPromptPrefix) + mode.rawValue();
}

QString AppSettings::customPrompt(DictationMode mode) const {
    return store_.string(customPromptKey(mode)).value_or(QString());
}

QString AppSettings::effectivePrompt(DictationMode mode) const {
    const QString custom = customPrompt(mode);
    return custom.isEmpty() ? mode.systemPrompt() : custom;
}

void AppSettings::setCustomPrompt(const QString& prompt, DictationMode mode) {
    const QString key = customPromptKey(mode);
    if (trimmedOfWhitespace(prompt).isEmpty()) {
        store_.remove(key);
    } else {
        store_.setString(key, prompt);
    }
    emit changed(key);
}

QList<AppSettings::DictationEntry> AppSettings::recentDictations() const {
    const auto document = store_.data(QLatin1String(Keys::dictationHistory));
    if (!document) {
        return {};
    }
    auto entries = DictationHistory::decode(*document).value_or(QList<DictationEntry>{});
    DictationHistory::sortNewestFirst(entries);
    return entries;
}

void AppSettings::addDictation(const DictationEntry& entry) {
    const QString key = QLatin1String(Keys::dictationHistory);
    if (const auto stored = store_.data(key); stored && !DictationHistory::decode(*stored)) {
        keepUndecodableHistory(*stored);
    }
    const QByteArray document = DictationHistory::encode(
        DictationHistory::adding(recentDictations(), entry));
    store_.setData(key, document);
    emit changed(key);
}

// An unreadable history reads as empty, and the next addition replaces it: keep its bytes first
// so that nothing the user had is destroyed.
void AppSettings::keepUndecodableHistory(const QByteArray& document) {
    const QString backupKey =
        QLatin1String(Keys::dictationHistoryBackupPrefix) +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmsszzz"));
    store_.setData(backupKey, document);
    Log::line(QStringLiteral("[Quillo] Stored dictation history could not be read; kept its %1 "
                             "bytes under \"%2\" before writing a new one")
                  .arg(document.size())
                  .arg(backupKey));
}
