#include "platform/whisper/GraphicsDeviceChoice.h"

#include <gtest/gtest.h>

namespace {

using GraphicsDeviceChoice::Device;

const Device cpu{QStringLiteral("AMD Ryzen 7 7840U"), false};
const Device llvmpipe{QStringLiteral("llvmpipe (LLVM 15.0.6, 256 bits)"), true};
const Device radeon{QStringLiteral("AMD Radeon 780M (RADV GFX1103_R1)"), true};
const Device nvidia{QStringLiteral("NVIDIA GeForce RTX 4060"), true};

TEST(GraphicsDeviceChoiceTest, TheFirstRealCardWithItsPlaceAmongWhisperCountedDevices) {
    // whisper.cpp counts every graphics device, the software one too: the card behind it is its
    // second, whatever its place in the registry.
    const auto choice = GraphicsDeviceChoice::choose({llvmpipe, radeon, nvidia, cpu});
    EXPECT_EQ(choice.ordinal, 1);
    EXPECT_EQ(choice.registryIndex, 1);
    EXPECT_EQ(choice.name, radeon.description);

    const auto behindProcessor = GraphicsDeviceChoice::choose({cpu, nvidia});
    EXPECT_EQ(behindProcessor.ordinal, 0);
    EXPECT_EQ(behindProcessor.registryIndex, 1);
}

TEST(GraphicsDeviceChoiceTest, SoftwareRenderersAreTheProcessorUnlessTestsCountThem) {
    EXPECT_EQ(GraphicsDeviceChoice::choose({}).ordinal, -1);
    EXPECT_EQ(GraphicsDeviceChoice::choose({cpu, llvmpipe}).ordinal, -1);
    EXPECT_TRUE(GraphicsDeviceChoice::choose({cpu, llvmpipe}).name.isEmpty());
    for (const char* name : {"llvmpipe (LLVM 17.0.6, 256 bits)", "Lavapipe",
                             "SwiftShader Device (Subzero)", "softpipe"}) {
        EXPECT_TRUE(GraphicsDeviceChoice::isSoftware(QString::fromLatin1(name))) << name;
    }
    EXPECT_FALSE(GraphicsDeviceChoice::isSoftware(nvidia.description));

    const auto counted = GraphicsDeviceChoice::choose({cpu, llvmpipe}, true);
    EXPECT_EQ(counted.ordinal, 0);
    EXPECT_EQ(counted.name, llvmpipe.description);
}

}  // namespace
