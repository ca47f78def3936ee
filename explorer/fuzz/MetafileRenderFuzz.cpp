// Metafiles (enhanced, placeable and plain Windows metafiles) drawn for the preview, and their size.
#include "FuzzGuiApp.h"
#include "TMetafileRenderer.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    bx::explorer::fuzz::MakeGuiApp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    bx::explorer::TMetafileRenderer::NaturalSize(bytes);
    bx::explorer::TMetafileRenderer::Render(bytes, QSize(48, 32));
    return 0;
}
