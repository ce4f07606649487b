#include "models/AppSettings.h"

#include "base/Log.h"
#include "BuildConfig.h"
#include "models/DictationHistory.h"
#include "models/ServiceDefaults.h"
#include "models/SecretCache.h"
#include "platform/DefaultsStore.h"

#include <QDateTime>

namespace {

DefaultsStore*& sharedStore() {
    static DefaultsStore* store = nullptr;
    return store;
}

QString trimmedOfWhitespace(const QString& s) {
    return s.trimmed();
}

// A JSON document stored as data, or as text written by the command-line tool.
std::optional<QByteArray> documentAt(const DefaultsStore& store, const char* key) {
    if (auto data = store.data(QLatin1String(key)))
        return data;
    if (auto text = store.string(QLatin1String(key)))
        return text->toUtf8();
    return std::nullopt;
}

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

// Anyone can write the store (quillo-defaults): a value the readers cannot take reads as the
// default, with one line per stored value rather than one per read.
qint64 AppSettings::checkedIntegerValue(const char* key, qint64 fallback,
                                        bool (*inRange)(qint64)) const {
    const qint64 value = integerValue(key, fallback);
    const QByteArray name(key);
    if (inRange(value)) {
        reportedOutOfRange_.remove(name);
        return value;
    }
    const auto reported = reportedOutOfRange_.constFind(name);
    if (reported == reportedOutOfRange_.constEnd() || reported.value() != value) {
        reportedOutOfRange_.insert(name, value);
        Log::line(QStringLiteral("[Quillo] Stored %1 %2 is out of range; using %3")
                      .arg(QLatin1String(key))
                      .arg(value)
                      .arg(fallback));
    }
    return fallback;
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

QStringList AppSettings::secretKeys() {
    return {QLatin1String(Keys::openAIAPIKey), QLatin1String(Keys::anthropicAPIKey),
            QLatin1String(Keys::remoteDesktopRestoreToken)};
}

void AppSettings::useSecrets(SecretCache& secrets) {
    secrets_ = &secrets;
}

QString AppSettings::secretValue(const char* key) const {
    return secrets_ ? secrets_->value(QLatin1String(key)) : stringValue(key, {});
}

void AppSettings::writeSecret(const char* key, const QString& value) {
    if (!secrets_) {
        write(key, value);
        return;
    }
    secrets_->setValue(QLatin1String(key), value);
    emit changed(QLatin1String(key));
}

QString AppSettings::openAIAPIKey() const {
    return secretValue(Keys::openAIAPIKey);
}
void AppSettings::setOpenAIAPIKey(const QString& v) {
    writeSecret(Keys::openAIAPIKey, v);
}
QString AppSettings::anthropicAPIKey() const {
    return secretValue(Keys::anthropicAPIKey);
}
void AppSettings::setAnthropicAPIKey(const QString& v) {
    writeSecret(Keys::anthropicAPIKey, v);
}
QString AppSettings::selectedModeRaw() const {
    return stringValue(Keys::selectedMode, QStringLiteral("email"));
}
void AppSettings::setSelectedModeRaw(const QString& v) {
    write(Keys::selectedMode, v);
}
QString AppSettings::whisperLanguage() const {
    return stringValue(Keys::whisperLanguage, QStringLiteral("auto"));
}
void AppSettings::setWhisperLanguage(const QString& v) {
    write(Keys::whisperLanguage, v);
}
QString AppSettings::llmProvider() const {
    return stringValue(Keys::llmProvider, QStringLiteral("openai"));
}
void AppSettings::setLlmProvider(const QString& v) {
    write(Keys::llmProvider, v);
}
bool AppSettings::launchAtLogin() const {
    return booleanValue(Keys::launchAtLogin, false);
}
void AppSettings::setLaunchAtLogin(bool v) {
    write(Keys::launchAtLogin, v);
}
bool AppSettings::playSoundOnComplete() const {
    return booleanValue(Keys::playSoundOnComplete, true);
}
void AppSettings::setPlaySoundOnComplete(bool v) {
    write(Keys::playSoundOnComplete, v);
}
bool AppSettings::showOverlay() const {
    return booleanValue(Keys::showOverlay, true);
}
void AppSettings::setShowOverlay(bool v) {
    write(Keys::showOverlay, v);
}
QString AppSettings::appLanguage() const {
    return stringValue(Keys::appLanguage, QStringLiteral("system"));
}
void AppSettings::setAppLanguage(const QString& v) {
    write(Keys::appLanguage, v);
}
qint64 AppSettings::hotkeyKeyCode() const {
    return checkedIntegerValue(Keys::hotkeyKeyCode, 49,
                               [](qint64 v) { return v >= 0 && v <= 0xFFFF; });
}
void AppSettings::setHotkeyKeyCode(qint64 v) {
    write(Keys::hotkeyKeyCode, v);
}
qint64 AppSettings::hotkeyModifiers() const {
    // Any sum of command 256, shift 512, option 2048 and control 4096.
    return checkedIntegerValue(Keys::hotkeyModifiers, 2048,
                               [](qint64 v) { return (v & ~qint64(0x1B00)) == 0; });
}
void AppSettings::setHotkeyModifiers(qint64 v) {
    write(Keys::hotkeyModifiers, v);
}
bool AppSettings::useBackend() const {
    return booleanValue(Keys::useBackend, true);
}
void AppSettings::setUseBackend(bool v) {
    write(Keys::useBackend, v);
}
bool AppSettings::localTranscription() const {
    return booleanValue(Keys::localTranscription, false);
}
void AppSettings::setLocalTranscription(bool v) {
    write(Keys::localTranscription, v);
}
QString AppSettings::localModel() const {
    return stringValue(Keys::localModel, QStringLiteral("base.en"));
}
void AppSettings::setLocalModel(const QString& v) {
    write(Keys::localModel, v);
}
bool AppSettings::localTranscriptionFast() const {
    return booleanValue(Keys::localTranscriptionFast, false);
}
void AppSettings::setLocalTranscriptionFast(bool v) {
    write(Keys::localTranscriptionFast, v);
}
bool AppSettings::livePreview() const {
    return booleanValue(Keys::livePreview, false);
}
void AppSettings::setLivePreview(bool v) {
    write(Keys::livePreview, v);
}
bool AppSettings::useGpu() const {
    return booleanValue(Keys::useGpu, true);
}
void AppSettings::setUseGpu(bool v) {
    write(Keys::useGpu, v);
}
bool AppSettings::gnomeCustomShortcut() const {
    return booleanValue(Keys::gnomeCustomShortcut, false);
}
void AppSettings::setGnomeCustomShortcut(bool v) {
    write(Keys::gnomeCustomShortcut, v);
}

QString AppSettings::backendURL() const {
    return QString::fromUtf8(BuildConfig::backendUrl);
}
QString AppSettings::apiSecret() const {
    return QStringLiteral("kestra-beta-5930");
}

DictationMode AppSettings::selectedMode() const {
    return DictationMode::fromRawValue(selectedModeRaw()).value_or(DictationMode::email);
}

void AppSettings::setSelectedMode(DictationMode mode) {
    setSelectedModeRaw(mode.rawValue());
}

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
    const QByteArray document =
        DictationHistory::encode(DictationHistory::adding(recentDictations(), entry));
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

// A server address or model name left blank in the window reads as the default, as if absent.
QString AppSettings::nonBlankString(const char* key, const QString& fallback) const {
    const QString value = stringValue(key, fallback);
    return value.trimmed().isEmpty() ? fallback : value.trimmed();
}

QString AppSettings::openAIBaseURL() const {
    return nonBlankString(Keys::openAIBaseURL, QString::fromLatin1(ServiceDefaults::openAIHost));
}
void AppSettings::setOpenAIBaseURL(const QString& v) {
    write(Keys::openAIBaseURL, v);
}
QString AppSettings::transcriptionModel() const {
    return nonBlankString(Keys::transcriptionModel,
                          QString::fromLatin1(ServiceDefaults::transcriptionModel));
}
void AppSettings::setTranscriptionModel(const QString& v) {
    write(Keys::transcriptionModel, v);
}
QString AppSettings::chatModel() const {
    return nonBlankString(Keys::chatModel, QString::fromLatin1(ServiceDefaults::chatModel));
}
void AppSettings::setChatModel(const QString& v) {
    write(Keys::chatModel, v);
}
QString AppSettings::anthropicModel() const {
    return nonBlankString(Keys::anthropicModel,
                          QString::fromLatin1(ServiceDefaults::anthropicModel));
}
void AppSettings::setAnthropicModel(const QString& v) {
    write(Keys::anthropicModel, v);
}
QString AppSettings::inputDevice() const {
    return stringValue(Keys::inputDevice, {});
}
void AppSettings::setInputDevice(const QString& v) {
    write(Keys::inputDevice, v);
}

QStringList AppSettings::vocabulary() const {
    const auto document = documentAt(store_, Keys::vocabulary);
    return document ? WordLists::decodeVocabulary(*document).value_or(QStringList{})
                    : QStringList{};
}

void AppSettings::setVocabulary(const QStringList& words) {
    const auto stored = documentAt(store_, Keys::vocabulary);
    writeWordList(Keys::vocabulary, WordLists::encodeVocabulary(words),
                  stored && WordLists::decodeVocabulary(*stored));
}

QList<Replacement> AppSettings::replacements() const {
    const auto document = documentAt(store_, Keys::replacements);
    return document ? WordLists::decodeReplacements(*document).value_or(QList<Replacement>{})
                    : QList<Replacement>{};
}

void AppSettings::setReplacements(const QList<Replacement>& replacements) {
    const auto stored = documentAt(store_, Keys::replacements);
    writeWordList(Keys::replacements, WordLists::encodeReplacements(replacements),
                  stored && WordLists::decodeReplacements(*stored));
}

// Like the history: a stored value that cannot be read is kept under a backup key before it
// is replaced, so nothing the user had is destroyed.
void AppSettings::writeWordList(const char* key, const QByteArray& document,
                                bool storedIsDecodable) {
    const QString name = QLatin1String(key);
    const auto old = store_.value(name);
    if (old && !storedIsDecodable) {
        const QString backupKey =
            name + QLatin1String(Keys::wordListBackupInfix) +
            QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmsszzz"));
        store_.setValue(backupKey, *old);
        Log::line(QStringLiteral("[Quillo] Stored %1 could not be read; kept it under \"%2\" "
                                 "before writing a new one")
                      .arg(name, backupKey));
    }
    store_.setData(name, document);
    emit changed(name);
}
