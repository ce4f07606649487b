#include "dictation/FailureReporter.h"

#include "base/Log.h"
#include "base/QuilloError.h"
#include "base/Scheduler.h"
#include "dictation/DictationOverlay.h"
#include "platform/SpeechEngineError.h"
#include "services/http/TransportError.h"
#include "services/remote/APIError.h"
#include "services/remote/LLMError.h"
#include "services/remote/WhisperError.h"

#include <QPointer>

using namespace std::chrono_literals;

namespace {

constexpr Scheduler::Duration errorHoldTime = 4500ms;

}  // namespace

FailureReporter::FailureReporter(DictationOverlay& overlay, Scheduler& scheduler, QObject* parent)
    : QObject(parent), overlay_(overlay), scheduler_(scheduler) {}

void FailureReporter::report(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const SpeechEngineError& speechError) {
        if (speechError.kind() == SpeechEngineError::Kind::aborted) {
            Log::line(QStringLiteral("[Quillo] Transcription cancelled"));
        } else {
            Log::line(QStringLiteral("[Quillo] ERROR: ") + speechError.description());
            showError(errorMessage(error));
        }
    } catch (const APIError& apiError) {
        Log::line(QStringLiteral("[Quillo] API ERROR: ") + apiError.textualForm());
        showError(apiError.kind() == APIError::Kind::serverError
                      ? apiError.message()
                      : QStringLiteral("Keine Verbindung zum Server"));
    } catch (const QuilloError& other) {
        Log::line(QStringLiteral("[Quillo] ERROR: ") + other.description());
        showError(errorMessage(error));
    } catch (const std::exception& other) {
        Log::line(QStringLiteral("[Quillo] ERROR: ") + QString::fromUtf8(other.what()));
        showError(errorMessage(error));
    }
}

void FailureReporter::showError(const QString& message) {
    overlayShowingError_ = true;
    clearOverlayErrorLater();
    overlay_.showError(message);
    emit errorShown(message);
}

// Every error starts its own clearing task: an older one may clear the flag while a newer
// error is still showing.
QCoro::Task<void> FailureReporter::clearOverlayErrorLater() {
    QPointer<FailureReporter> self(this);
    Scheduler& scheduler = scheduler_;
    co_await scheduler.sleep(errorHoldTime);
    if (self) {
        self->overlayShowingError_ = false;
    }
}

QString FailureReporter::errorMessage(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const LLMError& e) {
        if (e.kind() == LLMError::Kind::parseError) {
            return QStringLiteral("Failed to parse response");
        }
        const QString& text = e.body();
        if (text.contains(QLatin1String("401")) || text.contains(QLatin1String("Unauthorized"))) {
            return QStringLiteral("Invalid API Key");
        }
        if (text.contains(QLatin1String("429")) || text.contains(QLatin1String("rate"))) {
            return QStringLiteral("Rate limit exceeded");
        }
        if (text.contains(QLatin1String("insufficient_quota"))) {
            return QStringLiteral("API quota exceeded");
        }
        return QStringLiteral("API Error");
    } catch (const WhisperError& e) {
        if (e.kind() == WhisperError::Kind::invalidResponse) {
            return QStringLiteral("Transcription parse error");
        }
        if (e.statusCode() == 429) {
            return QStringLiteral("Rate limit exceeded");
        }
        if (e.statusCode() == 401) {
            return QStringLiteral("Invalid OpenAI Key");
        }
        return QStringLiteral("Transcription failed");
    } catch (const SpeechEngineError& e) {
        return e.isModelProblem() ? QStringLiteral("Speech model not installed")
                                  : QStringLiteral("Transcription failed");
    } catch (const TransportError& e) {
        switch (e.kind()) {
            case TransportError::Kind::notConnected:
                return QStringLiteral("No internet connection");
            case TransportError::Kind::timedOut:
                return QStringLiteral("Request timed out");
            case TransportError::Kind::other:
                break;
        }
        return QStringLiteral("Network error");
    } catch (...) {
        return QStringLiteral("An error occurred");
    }
}
