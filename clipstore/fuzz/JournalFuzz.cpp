// The capture journal's reader on arbitrary bytes: the records, then each record's clip (its record and
// inline formats, as a replay reads them) and its pictures.
#include "SimDesktop.h"
#include "TBitmap.h"
#include "TByteReader.h"
#include "TClipColl.h"
#include "TClipContext.h"
#include "TClipObj.h"
#include "TJournalRecord.h"
#include "TMetafile.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include <unistd.h>

using namespace bx::clipstore;

namespace {

struct Store {
    Store() {
        context.MasterListExists = true;
        context.RtfFormat = context.RegisterFormat("Rich Text Format");
        context.HtmlFormat = context.RegisterFormat("HTML Format");
        // An empty directory: format records that name picture files find none.
        dir =
            (std::filesystem::temp_directory_path() / ("bx_journal_fuzz_" + std::to_string(::getpid()))).string() + "/";
        std::filesystem::create_directories(dir);
        coll = std::make_unique<TClipColl>(context, true);
        coll->DirName = dir;
    }
    bx::platform::sim::SimDesktop desk;
    TClipContext context{desk.Clock(), desk.Clipboard()};
    std::string dir;
    std::unique_ptr<TClipColl> coll;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Store store;
    const TJournalRecord::ReadResult read = TJournalRecord::Read(std::span<const std::uint8_t>(data, size));
    for (const TJournalRecord::Entry& e : read.Entries) {
        for (const TJournalRecord::Picture& p : e.Pictures) {
            if (p.Kind == TJournalRecord::BitmapDib) {
                TBitmap bitmap;
                bitmap.LoadFromDib(p.Bytes);
            } else {
                TMetafile metafile;
                metafile.LoadFromBytes(p.Bytes);
            }
        }
        if (e.ClipRecord.empty())
            continue;
        TClipObj clip(store.context, e.SerialNbr, std::string());
        clip.Coll = store.coll.get();
        TByteReader reader(e.ClipRecord);
        try {
            clip.LoadFromStream(reader);
        } catch (const std::exception&) {
            // A damaged record is refused; only a crash or a sanitizer's report is a finding.
        }
    }
    return 0;
}
