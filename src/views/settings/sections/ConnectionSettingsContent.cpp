#include "views/settings/sections/ConnectionSettingsContent.h"

#include "models/AppSettings.h"
#include "models/SecretCache.h"
#include "services/http/ServerAddress.h"
#include "services/remote/LLMService.h"
#include "services/remote/WhisperService.h"
#include "views/settings/sections/SecretField.h"
#include "views/widgets/PillButton.h"
#include "views/widgets/SectionSubtitle.h"
#include "views/widgets/SectionTitle.h"
#include "views/widgets/SegmentedControl.h"
#include "views/widgets/SettingsCard.h"
#include "views/widgets/SettingsRow.h"
#include "views/widgets/SettingsText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

#include <utility>

namespace {

const QString backendRoute = QStringLiteral("backend");
const QString ownRoute = QStringLiteral("own");

QColor warningColour() {
    return QColor(0xE0, 0x7B, 0x00);
}

void colour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

}  // namespace

ConnectionSettingsContent::ConnectionSettingsContent(AppSettings& settings, Services services,
                                                     QWidget* parent)
    : QWidget(parent), settings_(settings), services_(std::move(services)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(24);
    //% "Connection"
    column->addWidget(new SectionTitle(qtTrId("connection.title")));
    //% "Where your speech is turned into text"
    column->addWidget(new SectionSubtitle(qtTrId("connection.route")));

    //% "Quillo service"
    //% "Own API keys"
    route_ = new SegmentedControl({{backendRoute, qtTrId("connection.route.backend")},
                                   {ownRoute, qtTrId("connection.route.own")}});
    route_->setAccessibleName(qtTrId("connection.route"));
    auto* routeCard = new SettingsCard;
    //% "Route"
    routeCard->contentLayout()->addWidget(
        new SettingsRow(qtTrId("connection.route.title"), {}, route_, false));
    routeNote_ = SettingsText::label({}, 11, QFont::Normal, SettingsText::Tone::secondary);
    routeNote_->setWordWrap(true);
    routeCard->contentLayout()->addWidget(routeNote_);
    column->addWidget(routeCard);

    ownProviders_ = new QWidget;
    auto* own = new QVBoxLayout(ownProviders_);
    own->setContentsMargins(0, 0, 0, 0);
    own->setSpacing(24);
    keysNote_ = SettingsText::label({}, 11, QFont::Normal, SettingsText::Tone::secondary);
    keysNote_->setObjectName(QStringLiteral("keysNote"));
    keysNote_->setWordWrap(true);
    own->addWidget(keysNote_);
    //% "OpenAI or a compatible server"
    own->addWidget(new SectionSubtitle(qtTrId("connection.openai")));
    own->addWidget(buildOpenAICard());
    //% "Anthropic"
    own->addWidget(new SectionSubtitle(qtTrId("connection.anthropic")));
    own->addWidget(buildAnthropicCard());
    //% "Formatting"
    own->addWidget(new SectionSubtitle(qtTrId("connection.formatting")));
    own->addWidget(buildFormattingCard());
    column->addWidget(ownProviders_);

    // Further ways to reach text (such as transcribing on this computer) add their cards here.
    extraCards_ = new QVBoxLayout;
    extraCards_->setContentsMargins(0, 0, 0, 0);
    extraCards_->setSpacing(24);
    column->addLayout(extraCards_);

    route_->setValue(settings_.useBackend() ? backendRoute : ownRoute);
    connect(route_, &SegmentedControl::valueChosen, this, [this](const QString& value) {
        settings_.setUseBackend(value == backendRoute);
        showRoute();
    });
    showRoute();
    showAddressNote();
    showKeysNote();
    if (SecretCache* secrets = settings_.secrets())
        connect(secrets, &SecretCache::locationChanged, this,
                &ConnectionSettingsContent::showKeysNote);
}

void ConnectionSettingsContent::showKeysNote() {
    const SecretCache* secrets = settings_.secrets();
    const auto location =
        secrets ? secrets->location() : SecretCache::Location::preferencesNoKeyring;
    switch (location) {
        case SecretCache::Location::keyring:
            //% "Keys are kept in the system keyring"
            keysNote_->setText(qtTrId("connection.keys.keyring"));
            return;
        case SecretCache::Location::preferencesNoKeyring:
            //% "Keys are kept in Quillo's preferences file (no keyring on this desktop)"
            keysNote_->setText(qtTrId("connection.keys.no_keyring"));
            return;
        case SecretCache::Location::preferencesKeyringRefused:
            //% "Keys are kept in Quillo's preferences file (the keyring refused them)"
            keysNote_->setText(qtTrId("connection.keys.keyring_refused"));
            return;
    }
}

QLineEdit* ConnectionSettingsContent::textField(const QString& accessibleTitle,
                                                const QString& value, const QString& placeholder) {
    auto* field = new QLineEdit;
    field->setFixedWidth(220);
    field->setAccessibleName(accessibleTitle);
    field->setPlaceholderText(placeholder);
    field->setText(value);
    return field;
}

QWidget* ConnectionSettingsContent::buildOpenAICard() {
    auto* card = new SettingsCard;
    //% "OpenAI API key"
    const QString keyTitle = qtTrId("connection.openai_key");
    openAIKey_ = new SecretField(keyTitle);
    openAIKey_->setText(settings_.openAIAPIKey());
    card->contentLayout()->addWidget(new SettingsRow(keyTitle, {}, openAIKey_, true));

    //% "Server address"
    const QString addressTitle = qtTrId("connection.base_url");
    const QString defaultHost = QString::fromLatin1(WhisperService::apiHost);
    const QString storedAddress = settings_.openAIBaseURL();
    baseURL_ = textField(addressTitle, storedAddress == defaultHost ? QString() : storedAddress,
                         defaultHost);
    //% "A whisper.cpp, vLLM, LocalAI or Ollama server works too"
    card->contentLayout()->addWidget(
        new SettingsRow(addressTitle, qtTrId("connection.base_url.hint"), baseURL_, false));
    addressNote_ = SettingsText::label({}, 11);
    addressNote_->setObjectName(QStringLiteral("addressNote"));
    addressNote_->setWordWrap(true);
    colour(addressNote_, warningColour());
    card->contentLayout()->addWidget(addressNote_);
    card->contentLayout()->addSpacing(4);

    //% "Transcription model"
    const QString transcriptionTitle = qtTrId("connection.transcription_model");
    transcriptionModel_ = textField(transcriptionTitle, settings_.transcriptionModel(),
                                    QString::fromLatin1(WhisperService::model));
    card->contentLayout()->addWidget(
        new SettingsRow(transcriptionTitle, {}, transcriptionModel_, true));
    //% "Formatting model"
    const QString chatTitle = qtTrId("connection.chat_model");
    chatModel_ =
        textField(chatTitle, settings_.chatModel(), QString::fromLatin1(LLMService::openAIModel));
    card->contentLayout()->addWidget(new SettingsRow(chatTitle, {}, chatModel_, true));
    card->contentLayout()->addWidget(checkRow(openAICheck_, LLMProvider::openai));

    connect(openAIKey_, &SecretField::edited, this,
            [this](const QString& text) { settings_.setOpenAIAPIKey(text); });
    connect(baseURL_, &QLineEdit::textEdited, this, [this](const QString& text) {
        settings_.setOpenAIBaseURL(text.trimmed());
        showAddressNote();
    });
    connect(transcriptionModel_, &QLineEdit::textEdited, this,
            [this](const QString& text) { settings_.setTranscriptionModel(text.trimmed()); });
    connect(chatModel_, &QLineEdit::textEdited, this,
            [this](const QString& text) { settings_.setChatModel(text.trimmed()); });
    return card;
}

QWidget* ConnectionSettingsContent::buildAnthropicCard() {
    auto* card = new SettingsCard;
    //% "Anthropic API key"
    const QString keyTitle = qtTrId("connection.anthropic_key");
    anthropicKey_ = new SecretField(keyTitle);
    anthropicKey_->setText(settings_.anthropicAPIKey());
    card->contentLayout()->addWidget(new SettingsRow(keyTitle, {}, anthropicKey_, true));
    //% "Model"
    const QString modelTitle = qtTrId("connection.anthropic_model");
    anthropicModel_ = textField(modelTitle, settings_.anthropicModel(),
                                QString::fromLatin1(LLMService::anthropicModel));
    card->contentLayout()->addWidget(new SettingsRow(modelTitle, {}, anthropicModel_, true));
    card->contentLayout()->addWidget(checkRow(anthropicCheck_, LLMProvider::anthropic));

    connect(anthropicKey_, &SecretField::edited, this,
            [this](const QString& text) { settings_.setAnthropicAPIKey(text); });
    connect(anthropicModel_, &QLineEdit::textEdited, this,
            [this](const QString& text) { settings_.setAnthropicModel(text.trimmed()); });
    return card;
}

QWidget* ConnectionSettingsContent::buildFormattingCard() {
    auto* card = new SettingsCard;
    provider_ = new SegmentedControl({{QStringLiteral("openai"), QStringLiteral("OpenAI")},
                                      {QStringLiteral("anthropic"), QStringLiteral("Anthropic")}});
    //% "Formatting provider"
    const QString title = qtTrId("connection.llm_provider");
    provider_->setAccessibleName(title);
    provider_->setValue(LLMProvider::fromSetting(settings_.llmProvider()).rawValue());
    //% "Rewrites the transcript in the chosen mode; raw mode skips it"
    card->contentLayout()->addWidget(
        new SettingsRow(title, qtTrId("connection.llm_provider.hint"), provider_, false));
    connect(provider_, &SegmentedControl::valueChosen, this,
            [this](const QString& value) { settings_.setLlmProvider(value); });
    return card;
}

QWidget* ConnectionSettingsContent::checkRow(Check& check, LLMProvider provider) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 12, 0, 0);
    layout->setSpacing(10);
    //% "Check connection"
    check.button = new PillButton(qtTrId("connection.check"), PillButton::Style::secondary);
    check.result = SettingsText::label({}, 12, QFont::Medium, SettingsText::Tone::secondary);
    check.result->setObjectName(QStringLiteral("checkResult"));
    check.result->setWordWrap(true);
    layout->addWidget(check.result, 1);
    layout->addWidget(check.button);
    connect(check.button, &QAbstractButton::clicked, this,
            [this, provider] { runCheck(provider); });
    return row;
}

PillButton* ConnectionSettingsContent::checkButton(LLMProvider provider) const {
    return provider == LLMProvider::anthropic ? anthropicCheck_.button : openAICheck_.button;
}

QLabel* ConnectionSettingsContent::checkResult(LLMProvider provider) const {
    return provider == LLMProvider::anthropic ? anthropicCheck_.result : openAICheck_.result;
}

QString ConnectionSettingsContent::resultText(const ConnectionCheck::Result& result) {
    switch (result.outcome) {
        //% "Connected"
        case ConnectionCheck::Outcome::success:
            return qtTrId("connection.check.success");
        //% "Key rejected"
        case ConnectionCheck::Outcome::keyRejected:
            return qtTrId("connection.check.key_rejected");
        //% "Server not reachable"
        case ConnectionCheck::Outcome::notReachable:
            return qtTrId("connection.check.unreachable");
        //% "Server answered with status %1"
        case ConnectionCheck::Outcome::status:
            return qtTrId("connection.check.status").arg(result.statusCode);
        //% "Not sent: this address needs https"
        case ConnectionCheck::Outcome::insecure:
            return qtTrId("connection.check.insecure");
    }
    return {};
}

// Runs on the main thread; the section may be closed while the request is out.
QCoro::Task<void> ConnectionSettingsContent::runCheck(LLMProvider provider) {
    QPointer<ConnectionSettingsContent> self(this);
    const bool anthropic = provider == LLMProvider::anthropic;
    const QString key = anthropic ? settings_.anthropicAPIKey() : settings_.openAIAPIKey();
    const QString base = anthropic ? services_.anthropicHost : settings_.openAIBaseURL();
    PillButton* button = checkButton(provider);
    QLabel* label = checkResult(provider);
    button->setEnabled(false);
    //% "Checking…"
    label->setText(qtTrId("connection.check.running"));
    const ConnectionCheck::Result result =
        co_await ConnectionCheck::run(provider, base, key, services_.transport);
    if (!self)
        co_return;
    button->setEnabled(true);
    label->setText(resultText(result));
    colour(label, result.outcome == ConnectionCheck::Outcome::success ? QColor(0x2E, 0xA0, 0x5A)
                                                                      : warningColour());
}

void ConnectionSettingsContent::showRoute() {
    const bool backend = settings_.useBackend();
    ownProviders_->setVisible(!backend);
    //% "Quillo's service transcribes and formats for you: no key needed."
    const QString backendNote = qtTrId("connection.route.backend_info");
    //% "Your own keys, sent only to the servers below."
    const QString ownNote = qtTrId("connection.route.own_info");
    routeNote_->setText(backend ? backendNote : ownNote);
}

void ConnectionSettingsContent::showAddressNote() {
    const ServerAddress address(settings_.openAIBaseURL());
    QString note;
    switch (address.verdict()) {
        case ServerAddress::Verdict::secure:
            break;
        case ServerAddress::Verdict::plainHttpLocal:
            //% "Plain http: accepted because the server is on this computer or your local network."
            note = qtTrId("connection.http_local");
            break;
        case ServerAddress::Verdict::plainHttpPublic:
            //% "Plain http is only allowed to this computer or your local network: use https."
            note = qtTrId("connection.http_refused");
            break;
        case ServerAddress::Verdict::invalid:
            //% "Not a server address: enter it like https://api.example.com"
            note = qtTrId("connection.address_invalid");
            break;
    }
    addressNote_->setText(note);
    addressNote_->setVisible(!note.isEmpty());
}
