#pragma once

#include "platform/AudioSourceList.h"

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

// The sound server's sources through libpulse's introspection, followed by its subscription
// to source events. libpulse calls back on its own thread; results are handed to the main
// thread before anyone sees them.
class PulseSourceList : public AudioSourceList {
    Q_OBJECT
public:
    explicit PulseSourceList(QObject* parent = nullptr);
    ~PulseSourceList() override;
    PulseSourceList(const PulseSourceList&) = delete;
    PulseSourceList& operator=(const PulseSourceList&) = delete;

    QList<Source> sources() const override { return sources_; }
    void startLevelMeter(const QByteArray& name) override;
    void stopLevelMeter() override;

    // Whether the server answered; without it the list stays empty.
    bool isConnected() const { return connected_; }

private:
    struct Callbacks;

    // These run with the loop locked (on libpulse's thread, or on ours holding the lock).
    void requestList();
    void connectMeter();
    void disconnectMeter();
    void setSources(const QList<Source>& sources);  // main thread

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* meter_ = nullptr;
    QList<Source> sources_;
    // Guarded by the loop's lock.
    bool ready_ = false;
    bool meterWanted_ = false;
    QByteArray meterSource_;
    bool connected_ = false;  // main thread's copy of ready_
};
