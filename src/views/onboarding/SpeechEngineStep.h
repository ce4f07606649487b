#pragma once

#include "services/http/HttpTransport.h"
#include "services/local/SpeechModelCatalogue.h"

#include <QUrl>
#include <QWidget>

#include <qcoro/qcorotask.h>

#include <optional>

class AppSettings;
class PillButton;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class QStackedWidget;
class SecretField;
class SpeechModelDownloader;

// The onboarding's "Speech to text" step: on this computer (the recommended model, downloaded
// here), the user's own key and OpenAI-compatible server (checked as in the Connection
// section), or Quillo's service. It tells when the chosen engine is usable and stores the
// choice when the user goes on.
class SpeechEngineStep : public QWidget {
    Q_OBJECT
public:
    enum class Engine { local, own, backend };

    struct Services {
        // Without a downloader the first choice cannot download.
        SpeechModelDownloader* downloader = nullptr;
        HttpTransport transport;
        // What the processor lacks for the engine; not empty means the choice is not offered.
        QString processorShortfall;
        // The model offered and where it comes from; the catalogue's recommendation otherwise.
        std::optional<SpeechModelCatalogue::Entry> model;
        QUrl modelUrl;
    };

    SpeechEngineStep(AppSettings& settings, Services services, QWidget* parent = nullptr);

    Engine engine() const;
    void choose(Engine engine);
    bool isUsable() const;
    // Stores the chosen engine as the route dictation takes.
    void apply();
    const SpeechModelCatalogue::Entry& model() const { return model_; }

    // The catalogue's model for an interface language: English only for English.
    static QString recommendedModel(const QString& interfaceLanguage);

    QRadioButton* choiceButton(Engine engine) const;
    PillButton* downloadButton() const { return download_; }
    PillButton* cancelButton() const { return cancel_; }
    QProgressBar* progressBar() const { return progress_; }
    QLabel* localStatus() const { return localStatus_; }
    SecretField* keyField() const { return key_; }
    QLineEdit* addressField() const { return address_; }
    PillButton* checkButton() const { return check_; }
    QLabel* checkResult() const { return checkResult_; }

signals:
    void usableChanged(bool usable);

private:
    QWidget* buildLocalPanel();
    QWidget* buildOwnPanel();
    QWidget* buildBackendPanel();
    QRadioButton* addChoice(Engine engine, const QString& text);
    void startDownload();
    void downloadFinished(const QString& path);
    QCoro::Task<void> runCheck();
    void refresh();
    bool modelInstalled() const;
    bool downloadIsOurs() const;

    AppSettings& settings_;
    Services services_;
    SpeechModelCatalogue::Entry model_;
    bool checkPassed_ = false;
    bool wasUsable_ = false;
    QButtonGroup* choices_;
    QStackedWidget* panels_;
    PillButton* download_ = nullptr;
    PillButton* cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* localStatus_ = nullptr;
    SecretField* key_ = nullptr;
    QLineEdit* address_ = nullptr;
    PillButton* check_ = nullptr;
    QLabel* checkResult_ = nullptr;
};
