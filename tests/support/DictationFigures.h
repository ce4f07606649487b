#pragma once

#include "support/LoopbackHttpServer.h"

#include <chrono>
#include <cstdio>
#include <optional>

// The two legs of one dictation that are Quillo's own: from the key release to the first byte
// of the transcription request at the backend, and from the backend's last answer to the text
// in the field. Printed by the end-to-end tests for the figures of each desktop session.
class DictationFigures {
public:
    using Clock = std::chrono::steady_clock;

    void markRelease() { release_ = Clock::now(); }
    // The first call after the release counts: the moment the field showed the text.
    void markText() {
        if (release_ && !text_)
            text_ = Clock::now();
    }

    void print(const char* session, const LoopbackHttpServer& backend) const {
        const auto& requests = backend.requests();
        const double toRequest = release_ && !requests.isEmpty()
                                     ? millisecondsBetween(*release_, requests.first().firstByteAt)
                                     : -1;
        const double toText = text_ && !requests.isEmpty()
                                  ? millisecondsBetween(requests.last().answeredAt, *text_)
                                  : -1;
        std::printf("[ figures  ] %s: release -> request %.1f ms, answer -> text %.1f ms\n",
                    session, toRequest, toText);
    }

private:
    static double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
        return std::chrono::duration<double, std::milli>(to - from).count();
    }

    std::optional<Clock::time_point> release_;
    std::optional<Clock::time_point> text_;
};
