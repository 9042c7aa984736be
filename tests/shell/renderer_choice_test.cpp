// Which GL_RENDERER names make automatic live play draw in software.
#include <gtest/gtest.h>

#include "shell/renderer_choice.h"

namespace qelo {
namespace {

// Mesa's CPU rasterisers, however the driver words and capitalises them,
// also under a layer; hardware names that merely mention LLVM or Mesa are
// GPUs, and an empty name is no rasteriser at all.
TEST(RendererChoiceTest, TellsSoftwareRasterisersFromGpus)
{
    for (const char* name : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "swrast", "Software Rasterizer",
                             "LLVMPIPE", "zink (llvmpipe (LLVM 15.0.6, 256 bits))"})
        EXPECT_TRUE(isSoftwareRasteriser(name)) << name;
    for (const char* name : {"AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)",
                             "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2",
                             "virgl", "llvm pipe", ""})
        EXPECT_FALSE(isSoftwareRasteriser(name)) << name;
}

}  // namespace
}  // namespace qelo
