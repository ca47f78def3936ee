#pragma once

#include "TClipObj.h"

#include <string_view>

namespace bx::clipstore {

// Searching a clip's text straight from its data file, without loading the clip, as the search over
// all clips does on its helper thread: the file is read whole into a buffer of the thread's own and
// its format records are walked with the clip's own record scanner (TFormatRecordScanner). Touches
// no clip and no shared state. TClipObj::FindInDataFile is this.
class TDataFileSearch {
public:
    // The answer FindInbody would give for that data file, searched for upperNeedle; Unknown when
    // the file cannot be read or holds anything but sound memory-block records (picture formats,
    // damage), which only loading the clip settles.
    static TClipObj::FileSearch Find(const TClipObj::DataFileText& file, std::string_view upperNeedle);
};

} // namespace bx::clipstore
