// Rich text from a clip ("Rich Text Format") read into the preview's document.
#include "FuzzGuiApp.h"
#include "TRtfReader.h"

#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    bx::explorer::fuzz::MakeGuiApp(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QTextDocument document;
    bx::explorer::TRtfReader::Read(std::span<const std::uint8_t>(data, size), document);
    if (document.characterCount() > bx::explorer::TRtfReader::MaxCharacters + 1)
        __builtin_trap(); // the amount of text is capped
    return 0;
}
