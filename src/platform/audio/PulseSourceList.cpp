#include "platform/audio/PulseSourceList.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

#include <QMetaObject>

#include <algorithm>
#include <cmath>

namespace {

// RAII for the loop's lock, so that every early return unlocks.
class LoopLock {
public:
    explicit LoopLock(pa_threaded_mainloop* loop) : loop_(loop) {
        pa_threaded_mainloop_lock(loop_);
    }
    ~LoopLock() { pa_threaded_mainloop_unlock(loop_); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* loop_;
};

void release(pa_operation* operation) {
    if (operation)
        pa_operation_unref(operation);
}

}  // namespace

// libpulse's C callbacks; each runs on libpulse's thread with the loop locked.
struct PulseSourceList::Callbacks {
    struct ListRequest {
        PulseSourceList* self;
        QList<Source> found;
    };

    static void contextState(pa_context* context, void* userdata) {
        auto* self = static_cast<PulseSourceList*>(userdata);
        if (pa_context_get_state(context) != PA_CONTEXT_READY)
            return;
        self->ready_ = true;
        pa_context_set_subscribe_callback(context, &Callbacks::sourceEvent, self);
        release(pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr));
        self->requestList();
        if (self->meterWanted_)
            self->connectMeter();
    }

    static void sourceEvent(pa_context*, pa_subscription_event_type_t, uint32_t, void* userdata) {
        static_cast<PulseSourceList*>(userdata)->requestList();
    }

    static void sourceInfo(pa_context*, const pa_source_info* info, int eol, void* userdata) {
        auto* request = static_cast<ListRequest*>(userdata);
        if (eol != 0) {
            PulseSourceList* self = request->self;
            // Delivered to the main thread; dropped if the list is gone by then.
            QMetaObject::invokeMethod(
                self, [self, found = request->found] { self->setSources(found); },
                Qt::QueuedConnection);
            delete request;
            return;
        }
        // Monitors of outputs are not microphones.
        if (info != nullptr && info->monitor_of_sink == PA_INVALID_INDEX) {
            request->found.append(
                {QByteArray(info->name),
                 QString::fromUtf8(info->description ? info->description : info->name)});
        }
    }

    static void meterRead(pa_stream* stream, size_t, void* userdata) {
        auto* self = static_cast<PulseSourceList*>(userdata);
        const void* data = nullptr;
        size_t length = 0;
        while (pa_stream_readable_size(stream) > 0) {
            if (pa_stream_peek(stream, &data, &length) < 0)
                return;
            if (data != nullptr && length >= sizeof(float)) {
                // With peak detection every sample is the peak of its slice of time.
                float peak = 0;
                const auto* samples = static_cast<const float*>(data);
                for (size_t i = 0; i < length / sizeof(float); ++i) {
                    peak = std::max(peak, std::fabs(samples[i]));
                }
                const float level = std::min(peak, 1.0f);
                QMetaObject::invokeMethod(
                    self, [self, level] { emit self->levelChanged(level); }, Qt::QueuedConnection);
            }
            if (length > 0)
                pa_stream_drop(stream);  // a hole (no data) is dropped as well
        }
    }
};

PulseSourceList::PulseSourceList(QObject* parent) : AudioSourceList(parent) {
    loop_ = pa_threaded_mainloop_new();
    if (!loop_)
        return;
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Quillo");
    if (!context_)
        return;
    pa_context_set_state_callback(context_, &Callbacks::contextState, this);
    // Answers arrive later: the list starts empty and sourcesChanged tells when it is read.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return;
    pa_threaded_mainloop_start(loop_);
}

PulseSourceList::~PulseSourceList() {
    if (!loop_)
        return;
    {
        LoopLock lock(loop_);
        disconnectMeter();
        if (context_) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_set_subscribe_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
    }
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

void PulseSourceList::requestList() {
    auto* request = new Callbacks::ListRequest{this, {}};
    pa_operation* operation =
        pa_context_get_source_info_list(context_, &Callbacks::sourceInfo, request);
    if (!operation) {
        delete request;
        return;
    }
    pa_operation_unref(operation);
}

void PulseSourceList::setSources(const QList<Source>& sources) {
    connected_ = true;
    if (sources == sources_)
        return;
    sources_ = sources;
    emit sourcesChanged();
}

void PulseSourceList::startLevelMeter(const QByteArray& name) {
    if (!loop_ || !context_)
        return;
    LoopLock lock(loop_);
    disconnectMeter();
    meterWanted_ = true;
    meterSource_ = name;
    if (ready_)
        connectMeter();
}

void PulseSourceList::stopLevelMeter() {
    if (!loop_ || !context_)
        return;
    LoopLock lock(loop_);
    meterWanted_ = false;
    disconnectMeter();
}

void PulseSourceList::connectMeter() {
    // One float per 40 ms slice, each the peak of its slice: a cheap meter.
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, 25, 1};
    meter_ = pa_stream_new(context_, "Quillo input level", &spec, nullptr);
    if (!meter_)
        return;
    pa_stream_set_read_callback(meter_, &Callbacks::meterRead, this);
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.fragsize = sizeof(float);
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_DONT_MOVE | PA_STREAM_PEAK_DETECT |
                                                      PA_STREAM_ADJUST_LATENCY);
    const char* device = meterSource_.isEmpty() ? nullptr : meterSource_.constData();
    if (pa_stream_connect_record(meter_, device, &attributes, flags) < 0) {
        disconnectMeter();
    }
}

void PulseSourceList::disconnectMeter() {
    if (!meter_)
        return;
    pa_stream_set_read_callback(meter_, nullptr, nullptr);
    pa_stream_disconnect(meter_);
    pa_stream_unref(meter_);
    meter_ = nullptr;
}
