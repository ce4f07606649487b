#pragma once

#include "services/http/HttpTransport.h"
#include "services/remote/ConnectionCheck.h"
#include "services/remote/LLMProvider.h"

#include <QWidget>

class AppSettings;
class PillButton;
class QLabel;
class QLineEdit;
class QVBoxLayout;
class SecretField;
class SegmentedControl;

// The Connection section: the route (Quillo's service or the user's own providers), the API
// keys, an OpenAI-compatible server with its model names, Anthropic's model, the formatting
// provider, and a check per provider. Every field is stored as it is edited.
class ConnectionSettingsContent : public QWidget {
    Q_OBJECT
public:
    // How the checks reach the providers: the application's defaults; tests name a loopback
    // server for Anthropic (the OpenAI-compatible server comes from the settings).
    struct Services {
        HttpTransport transport;
        QString anthropicHost;
    };

    explicit ConnectionSettingsContent(AppSettings& settings, Services services = {},
                                       QWidget* parent = nullptr);

    SegmentedControl* routeChoice() const { return route_; }
    QWidget* ownProviders() const { return ownProviders_; }
    SecretField* openAIKeyField() const { return openAIKey_; }
    SecretField* anthropicKeyField() const { return anthropicKey_; }
    QLineEdit* baseURLField() const { return baseURL_; }
    QLabel* addressNote() const { return addressNote_; }
    // Where the keys are kept: the system keyring or Quillo's preferences file.
    QLabel* keysNote() const { return keysNote_; }
    QLineEdit* transcriptionModelField() const { return transcriptionModel_; }
    QLineEdit* chatModelField() const { return chatModel_; }
    QLineEdit* anthropicModelField() const { return anthropicModel_; }
    SegmentedControl* providerChoice() const { return provider_; }
    PillButton* checkButton(LLMProvider provider) const;
    QLabel* checkResult(LLMProvider provider) const;
    // Cards added after this section's own, at its end.
    QVBoxLayout* extraCards() const { return extraCards_; }

    // The text a finished check shows.
    static QString resultText(const ConnectionCheck::Result& result);

private:
    struct Check {
        PillButton* button = nullptr;
        QLabel* result = nullptr;
    };

    QWidget* buildOpenAICard();
    QWidget* buildAnthropicCard();
    QWidget* buildFormattingCard();
    QWidget* checkRow(Check& check, LLMProvider provider);
    QLineEdit* textField(const QString& accessibleTitle, const QString& value,
                         const QString& placeholder);
    void showRoute();
    void showAddressNote();
    void showKeysNote();
    QCoro::Task<void> runCheck(LLMProvider provider);

    AppSettings& settings_;
    Services services_;
    SegmentedControl* route_ = nullptr;
    QLabel* routeNote_ = nullptr;
    QWidget* ownProviders_ = nullptr;
    SecretField* openAIKey_ = nullptr;
    SecretField* anthropicKey_ = nullptr;
    QLineEdit* baseURL_ = nullptr;
    QLabel* addressNote_ = nullptr;
    QLabel* keysNote_ = nullptr;
    QLineEdit* transcriptionModel_ = nullptr;
    QLineEdit* chatModel_ = nullptr;
    QLineEdit* anthropicModel_ = nullptr;
    SegmentedControl* provider_ = nullptr;
    Check openAICheck_;
    Check anthropicCheck_;
    QVBoxLayout* extraCards_ = nullptr;
};
