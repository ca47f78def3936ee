#include "TDataSource.h"

namespace bx::clipstore {

namespace {

// At most max bytes of text, without cutting a UTF-8 sequence in two.
std::string CutAtCharacter(std::string text, std::size_t max) {
    if (text.size() <= max)
        return text;
    std::size_t cut = max;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.resize(cut);
    return text;
}

} // namespace

TDataSource::TDataSource(int number, std::string description, std::string directory, bool readOnly, bool autoLoad)
    : Number(number), Description(CutAtCharacter(std::move(description), MaxDescription)),
      Directory(std::move(directory)), Read_Only(readOnly), AutoLoad(autoLoad) {
    if (!Directory.empty() && Directory.back() != '/')
        Directory += '/';
}

} // namespace bx::clipstore
