// Writes the seed corpora of the explorer's fuzz targets: rich text of the kinds word processors put on
// the clipboard, and metafiles as the clip store keeps them. Usage: bx_explorer_fuzz_seeds <corpus dir>.
#include "FuzzMetafiles.h"
#include "TMetafile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

void Seed(const std::filesystem::path& root, const std::string& target, const std::string& name,
          const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(root / target);
    std::ofstream out(root / target / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> Text(const std::string& s) {
    return {s.begin(), s.end()};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus dir>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    Seed(root, "RtfReaderFuzz", "styles",
         Text("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fmodern Courier New;}}"
              "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
              "\\pard\\qc\\fs28 {\\b Bold} {\\i italic} {\\ul under} {\\strike gone} x{\\super 2} H{\\sub 2}O\\par"
              "\\pard\\li720\\fi-360\\cf1\\highlight2 indented \\'e9t\\'e9 \\u8364? euro\\line next\\tab tab\\par}"));
    Seed(root, "RtfReaderFuzz", "table",
         Text("{\\rtf1{\\*\\generator Writer;}\\trowd\\cellx1000\\cellx2000 a\\cell b\\cell\\row"
              "\\trowd\\cellx1000\\cellx2000 c\\cell d\\cell\\row\\pard\\ansicpg1251 \\'c0\\'e1\\par}"));
    bx::clipstore::TMetafile emf;
    bx::clipstore::TMetafile wmf;
    if (!emf.LoadFromEnhMetafileBlock(bx::clipstore::fuzz::Emf()) || !wmf.LoadFromBytes(bx::clipstore::fuzz::Wmf())) {
        std::fprintf(stderr, "the metafiles do not load\n");
        return 1;
    }
    Seed(root, "MetafileRenderFuzz", "emf", emf.Bytes());
    Seed(root, "MetafileRenderFuzz", "wmf", wmf.Bytes());
    return 0;
}
