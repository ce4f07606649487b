#include "platform/whisper/GraphicsDeviceChoice.h"

namespace GraphicsDeviceChoice {

bool isSoftware(const QString& description) {
    for (const char* renderer : {"llvmpipe", "lavapipe", "softpipe", "swiftshader"}) {
        if (description.contains(QLatin1String(renderer), Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

Choice choose(const QList<Device>& devices, bool softwareCounts) {
    int ordinal = 0;
    for (int i = 0; i < devices.size(); ++i) {
        const Device& device = devices[i];
        if (!device.graphics) {
            continue;
        }
        if (softwareCounts || !isSoftware(device.description)) {
            return Choice{ordinal, i, device.description};
        }
        ++ordinal;
    }
    return {};
}

}  // namespace GraphicsDeviceChoice
