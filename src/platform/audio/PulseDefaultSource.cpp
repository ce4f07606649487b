#include "platform/audio/PulseDefaultSource.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>

#include <memory>

namespace {

struct MainloopFree {
    void operator()(pa_mainloop* loop) const { pa_mainloop_free(loop); }
};
struct ContextRelease {
    void operator()(pa_context* context) const {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
};
struct OperationRelease {
    void operator()(pa_operation* operation) const {
        if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
            pa_operation_cancel(operation);
        }
        pa_operation_unref(operation);
    }
};

struct Answer {
    bool received = false;
    QByteArray sourceName;
};

void onServerInfo(pa_context*, const pa_server_info* info, void* userdata) {
    auto* answer = static_cast<Answer*>(userdata);
    answer->received = true;
    if (info != nullptr && info->default_source_name != nullptr) {
        answer->sourceName = QByteArray(info->default_source_name);
    }
}

}  // namespace

QByteArray PulseDefaultSource::name(std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;

    // A private, non-threaded main loop: iterated here until the answer or the deadline.
    std::unique_ptr<pa_mainloop, MainloopFree> loop(pa_mainloop_new());
    if (!loop) {
        return {};
    }
    std::unique_ptr<pa_context, ContextRelease> context(
        pa_context_new(pa_mainloop_get_api(loop.get()), "Quillo"));
    if (!context ||
        pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return {};
    }

    Answer answer;
    std::unique_ptr<pa_operation, OperationRelease> request;
    while (!answer.received) {
        const auto remaining =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (remaining.count() <= 0 ||
            pa_mainloop_prepare(loop.get(), static_cast<int>(remaining.count())) < 0 ||
            pa_mainloop_poll(loop.get()) < 0 || pa_mainloop_dispatch(loop.get()) < 0) {
            return {};
        }
        const pa_context_state_t state = pa_context_get_state(context.get());
        if (!PA_CONTEXT_IS_GOOD(state)) {
            return {};
        }
        if (state == PA_CONTEXT_READY && !request) {
            request.reset(pa_context_get_server_info(context.get(), onServerInfo, &answer));
            if (!request) {
                return {};
            }
        }
    }
    return answer.sourceName;
}
