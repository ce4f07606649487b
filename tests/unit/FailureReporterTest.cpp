#include "dictation/FailureReporter.h"
#include "platform/SpeechEngineError.h"
#include "services/http/TransportError.h"
#include "services/remote/APIError.h"
#include "services/remote/LLMError.h"
#include "services/remote/WhisperError.h"
#include "support/FakeDictationOverlay.h"
#include "support/LogCapture.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(FailureReporterTest, EachErrorMapsToItsMessage) {
    const auto message = [](auto error) {
        return FailureReporter::errorMessage(std::make_exception_ptr(error));
    };
    EXPECT_EQ(message(LLMError::parseError()), "Failed to parse response");
    EXPECT_EQ(message(LLMError::apiError(R"({"error":"401 and 429"})")), "Invalid API Key");
    EXPECT_EQ(message(LLMError::apiError("Unauthorized")), "Invalid API Key");
    EXPECT_EQ(message(LLMError::apiError("cannot generate")), "Rate limit exceeded");
    EXPECT_EQ(message(LLMError::apiError("429")), "Rate limit exceeded");
    EXPECT_EQ(message(LLMError::apiError("insufficient_quota")), "API quota exceeded");
    EXPECT_EQ(message(LLMError::apiError("Bad Request")), "API Error");
    EXPECT_EQ(message(WhisperError::invalidResponse()), "Transcription parse error");
    EXPECT_EQ(message(WhisperError::apiError(429, "")), "Rate limit exceeded");
    EXPECT_EQ(message(WhisperError::apiError(401, "")), "Invalid OpenAI Key");
    EXPECT_EQ(message(WhisperError::apiError(403, "")), "Transcription failed");
    EXPECT_EQ(message(TransportError(QNetworkReply::HostNotFoundError, "offline")),
              "No internet connection");
    EXPECT_EQ(message(TransportError(QNetworkReply::OperationCanceledError, "timeout")),
              "Request timed out");
    EXPECT_EQ(message(TransportError(QNetworkReply::ConnectionRefusedError, "refused")),
              "Network error");
    EXPECT_EQ(message(std::runtime_error("other")), "An error occurred");
}

TEST(FailureReporterTest, AnErrorStaysForFourAndAHalfSecondsAndACancelShowsNothing) {
    LogCapture log;
    FakeDictationOverlay overlay;
    ManualScheduler scheduler;
    FailureReporter failures(overlay, scheduler);

    failures.report(std::make_exception_ptr(
        SpeechEngineError(SpeechEngineError::Kind::aborted, QStringLiteral("cancelled"))));
    EXPECT_TRUE(log.contains("[Quillo] Transcription cancelled"));
    EXPECT_TRUE(overlay.calls.isEmpty());
    EXPECT_FALSE(failures.overlayShowingError());

    failures.report(std::make_exception_ptr(WhisperError::apiError(401, "")));
    EXPECT_EQ(overlay.calls.last(), "error Invalid OpenAI Key");
    EXPECT_TRUE(failures.overlayShowingError());
    scheduler.advance(4499ms);
    EXPECT_TRUE(failures.overlayShowingError());
    scheduler.advance(1ms);
    EXPECT_FALSE(failures.overlayShowingError());
}
