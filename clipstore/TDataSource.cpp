#include "TDataSource.h"

#include "TUtf8.h"

namespace bx::clipstore {

TDataSource::TDataSource(int number, std::string description, std::string directory, bool readOnly, bool autoLoad)
    : Number(number), Description(TUtf8::CutBytes(description, MaxDescription)), Directory(std::move(directory)),
      Read_Only(readOnly), AutoLoad(autoLoad) {
    if (!Directory.empty() && Directory.back() != '/')
        Directory += '/';
}

} // namespace bx::clipstore
