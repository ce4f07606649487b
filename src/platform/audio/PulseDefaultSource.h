#pragma once

#include <QByteArray>

#include <chrono>

// The sound server's default source. Qt 6.4's PulseAudio backend marks no input as the
// default (it compares sources with the default sink's name), so we ask the server itself.
class PulseDefaultSource {
public:
    // The default source's name, or empty when no server answers within `timeout`.
    static QByteArray name(std::chrono::milliseconds timeout);
};
