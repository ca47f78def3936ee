#include "TAboutInfo.h"

#include "BrindlexVersion.h"
#include "TClipColl.h"
#include "TDataSource.h"
#include "TDataSourceList.h"
#include "TMasterList.h"

namespace bx::shell {

const std::vector<std::string>& TAboutInfo::Libraries() {
    static const std::vector<std::string> libraries = {
        "Qt 6: GNU Lesser General Public License, version 3",
        "libxcb, libxkbcommon: MIT licence",
        "libcanberra: GNU Lesser General Public License, version 2.1 or later",
        "libpng: PNG Reference Library licence; libjpeg-turbo: IJG and BSD licences",
        "libwebp, zstd: BSD licences",
    };
    return libraries;
}

TAboutInfo TAboutInfo::Gather(const clipstore::TMasterList* masterList, const clipstore::TDataSourceList& sources,
                              int edits) {
    TAboutInfo info;
    info.Version = platform::BrindlexVersion;
    for (std::size_t i = 0; i < sources.Count(); ++i)
        if (const clipstore::TDataSource* source = sources.Source(i); source != nullptr)
            info.DataFolders.push_back(source->Directory);
    if (masterList != nullptr) {
        info.Collections = masterList->Count();
        for (std::size_t i = 0; i < masterList->Count(); ++i)
            if (const clipstore::TClipColl* coll = masterList->Item(i); coll != nullptr)
                info.Clips += coll->Count();
    }
    info.Edits = edits;
    return info;
}

std::vector<std::string> TAboutInfo::Lines() const {
    std::vector<std::string> lines = {"Brindlex " + Version, "A clipboard manager for the Linux desktop.", ""};
    lines.push_back(DataFolders.size() == 1 ? "Data folder:" : "Data folders:");
    for (const std::string& folder : DataFolders)
        lines.push_back("    " + folder);
    lines.push_back(std::to_string(Clips) + (Clips == 1 ? " clip in " : " clips in ") + std::to_string(Collections) +
                    (Collections == 1 ? " collection" : " collections") + "; " + std::to_string(Edits) +
                    (Edits == 1 ? " edit" : " edits") + " of clip texts");
    lines.push_back("");
    lines.push_back(std::string("Licence: ") + Licence + ".");
    lines.push_back("Built on:");
    for (const std::string& library : Libraries())
        lines.push_back("    " + library);
    return lines;
}

} // namespace bx::shell
