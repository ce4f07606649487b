#pragma once

#include <QList>
#include <QString>

// Which of ggml's devices the speech model goes to. Pure: the caller lists the devices.
namespace GraphicsDeviceChoice {

// One device of ggml's registry, in the registry's order.
struct Device {
    QString description;
    bool graphics = false;  // a discrete or integrated graphics device, as whisper.cpp counts them
};

struct Choice {
    // whisper_context_params::gpu_device: the place of the chosen card among the graphics
    // devices, software ones included, since whisper.cpp counts them all; -1 for the processor.
    int ordinal = -1;
    int registryIndex = -1;
    QString name;
};

// A renderer that runs on the processor (Mesa's llvmpipe/lavapipe, SwiftShader): slower than
// the processor backend, so never a graphics card for the speech model.
bool isSoftware(const QString& description);

// The first real graphics device; with `softwareCounts` (tests only) a software renderer too.
Choice choose(const QList<Device>& devices, bool softwareCounts = false);

}  // namespace GraphicsDeviceChoice
