// Writes the seed corpora of the clip store's fuzz targets, each input made by the program's own
// writers: a collection file, clip records, format records plain and packed, data files, picture files
// of every encoding and the clipboard's picture blocks. Usage: bx_clipstore_fuzz_seeds <corpus dir>.
#include "FuzzMetafiles.h"
#include "FuzzStore.h"
#include "GlobalMemory.h"
#include "PlatformTypes.h"
#include "TBitmap.h"
#include "TByteReader.h"
#include "TByteWriter.h"
#include "TClipColl.h"
#include "TClipData.h"
#include "TClipFile.h"
#include "TClipObj.h"
#include "TFormatRecordScanner.h"
#include "TJournalRecord.h"
#include "TMetafile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace bx::clipstore;
using bx::clipstore::fuzz::Bytes;
using bx::clipstore::fuzz::Emf;
using bx::clipstore::fuzz::Put;
using bx::clipstore::fuzz::Wmf;
using bx::platform::GlobalMemory;

namespace {

// A packed DIB with a BITMAPINFOHEADER: width x height, bits per pixel, a grey palette up to 8 bits,
// rows of a repeating pattern (or the given run-length bytes with compression 1).
Bytes Dib(int width, int height, int bits, const Bytes& rle = {}) {
    Bytes b;
    const std::uint32_t stride = static_cast<std::uint32_t>((width * bits + 31) / 32 * 4);
    const int colours = bits <= 8 ? 1 << bits : 0;
    const Bytes& pixels = rle;
    Put(b, 40, 4);
    Put(b, static_cast<std::uint32_t>(width), 4);
    Put(b, static_cast<std::uint32_t>(height), 4);
    Put(b, 1, 2);
    Put(b, static_cast<std::uint32_t>(bits), 2);
    Put(b, rle.empty() ? 0 : 1, 4);
    Put(b, rle.empty() ? stride * static_cast<std::uint32_t>(height) : static_cast<std::uint32_t>(rle.size()), 4);
    Put(b, 2835, 4);
    Put(b, 2835, 4);
    Put(b, static_cast<std::uint32_t>(colours), 4);
    Put(b, 0, 4);
    for (int c = 0; c < colours; ++c) {
        const auto g = static_cast<std::uint8_t>(c * 255 / (colours - 1));
        b.insert(b.end(), {g, g, g, 0});
    }
    if (!pixels.empty()) {
        b.insert(b.end(), pixels.begin(), pixels.end());
        return b;
    }
    for (int y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < stride; ++x)
            b.push_back(x * 8 < static_cast<std::uint32_t>(width * bits) ? static_cast<std::uint8_t>(x * 7 + y * 13)
                                                                         : 0);
    return b;
}

class Writer {
public:
    explicit Writer(std::filesystem::path root) : root_(std::move(root)) {}
    void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
        const std::filesystem::path dir = root_ / target;
        std::filesystem::create_directories(dir);
        std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path root_;
};

Bytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::unique_ptr<TClipData> Block(bx::platform::UINT format, const std::string& name, const std::string& text) {
    auto d = std::make_unique<TClipData>(TClipData::TypeBlock);
    d->Handle = GlobalMemory::FromBytes(reinterpret_cast<const std::uint8_t*>(text.c_str()), text.size() + 1);
    d->DataSize = static_cast<std::int32_t>(text.size() + 1);
    d->FormatNum = static_cast<std::uint16_t>(format);
    d->FormatName = name;
    return d;
}

std::unique_ptr<TClipData> Picture(const Bytes& dib) {
    auto d = std::make_unique<TClipData>(TClipData::TypeBitmap);
    d->Bitmap = std::make_unique<TBitmap>();
    d->Bitmap->LoadFromDib(dib);
    d->FormatNum = bx::platform::CF_BITMAP;
    d->FormatName = "CF_BITMAP";
    return d;
}

std::string LongText() {
    std::string words;
    for (int i = 0; words.size() < 6000; ++i)
        words += "word" + std::to_string(i % 89) + (i % 11 == 0 ? "\n" : " ");
    return words;
}

TClipObj* AddClip(TClipColl& coll, std::vector<std::unique_ptr<TClipData>> formats, const std::string& title) {
    auto clip = std::make_unique<TClipObj>(coll.Context(), coll.GetNextSerialNum(), "editor");
    clip->SortKey = coll.GetNextClipSortKey();
    clip->SetColl(&coll);
    for (auto& f : formats) {
        clip->SetIcon(f->FormatNum);
        clip->Formats->push_back(std::move(f));
    }
    clip->Online = true;
    clip->SetTitle(title);
    TClipObj* raw = clip.get();
    coll.MyAddObject(raw->Title, std::move(clip));
    return raw;
}

// The records the program writes carry checksums, which almost every mutation breaks; the same records
// in the layout of the versions before checksums (510, packed 511, clip records 510) let the fuzzer reach
// the parsers behind the checksum too. Each converts the records at the reader's position.
void AppendUnchecked(TByteReader& in, Bytes& out, std::size_t from, const char* header) {
    const std::span<const std::uint8_t> record = in.Held(from);
    const std::size_t at = out.size();
    out.insert(out.end(), record.begin(), record.end());
    const std::string h = header;
    std::copy(h.begin(), h.end(), out.begin() + static_cast<std::ptrdiff_t>(at + 1));
    in.ReadU32(); // the checksum, left out
}

void UncheckedFormats(TByteReader& in, Bytes& out, std::int32_t count) {
    for (std::int32_t i = 0; TFormatRecordScanner::MoreRecords(in, i, count); ++i) {
        TFormatRecordScanner::Head head;
        TFormatRecordScanner::ReadHead(in, head, nullptr);
        if (head.FormatType == TClipData::TypeBlock)
            in.ReadView(TFormatRecordScanner::ReadBlockLength(in, head));
        AppendUnchecked(in, out, head.Start,
                        TFormatRecordScanner::IsPacked(head) ? TClipData::PackedRecordHeader : TClipData::RecordHeader);
    }
}

void UncheckedClip(TByteReader& in, Bytes& out) {
    const std::size_t start = in.Position();
    for (int i = 0; i < 3; ++i)
        in.ReadRawString(); // header, title, creator
    in.ReadI32();
    in.ReadDouble();
    in.ReadI32();
    in.ReadI32();
    in.ReadI32();
    const std::int32_t count = in.ReadI32();
    in.ReadRawString();
    const bool inFile = in.ReadBool();
    AppendUnchecked(in, out, start, TClipObj::RecordHeader);
    if (!inFile)
        UncheckedFormats(in, out, count);
}

Bytes Unchecked(const Bytes& bytes, void (*convert)(TByteReader&, Bytes&)) {
    TByteReader in(bytes);
    Bytes out;
    while (in.Remaining() > 0)
        convert(in, out);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus dir>\n", argv[0]);
        return 2;
    }
    fuzz::FuzzStore& store = fuzz::FuzzStore::Get();
    store.context.StartingUp = false;
    Writer seeds(argv[1]);
    const Bytes rle8 = {2, 1, 0, 0, 2, 2, 0, 1}; // two pixels, end of line, two pixels, end of bitmap
    const std::vector<std::pair<std::string, Bytes>> dibs = {{"rgb24", Dib(6, 4, 24)},
                                                             {"rgb32", Dib(3, 3, 32)},
                                                             {"grey8", Dib(5, 3, 8)},
                                                             {"mono1", Dib(9, 2, 1)},
                                                             {"rle8", Dib(2, 2, 8, rle8)}};

    // Clips: a short text, a text with an HTML format and an address, a long text (a data file,
    // packed), a bitmap.
    TClipColl coll(store.context, true, &store.master);
    coll.DirName = store.dir;
    coll.Title = "Seeds";
    AddClip(coll, {}, ""); // an empty clip
    std::vector<std::unique_ptr<TClipData>> f;
    f.push_back(Block(bx::platform::CF_TEXT, "CF_TEXT", "hello there"));
    TClipObj* hello = AddClip(coll, std::move(f), "hello there");
    f.clear();
    f.push_back(Block(bx::platform::CF_TEXT, "CF_TEXT", "link"));
    f.push_back(Block(store.context.HtmlFormat, "HTML Format",
                      "Version:0.9\r\nStartHTML:0000000105\r\nEndHTML:0000000118\r\nStartFragment:0000000105\r\n"
                      "EndFragment:0000000118\r\nSourceURL:http://a.example/\r\n<p>link</p>"));
    AddClip(coll, std::move(f), "link");
    f.clear();
    f.push_back(Block(bx::platform::CF_TEXT, "CF_TEXT", LongText()));
    TClipObj* inFile = AddClip(coll, std::move(f), "long");
    f.clear();
    f.push_back(Picture(dibs[0].second));
    TClipObj* picture = AddClip(coll, std::move(f), "picture");
    // Journals as captures write them: one text; every clip of the collection, the long text in the place
    // an edit puts it again, and a deletion.
    {
        seeds.Seed("JournalFuzz", "one-text", TJournalRecord::OfClip(TJournalRecord::Added, "Seeds", *hello));
        Bytes journal;
        const auto append = [&journal](const Bytes& record) {
            journal.insert(journal.end(), record.begin(), record.end());
        };
        for (std::size_t i = 0; i < coll.Count(); ++i)
            append(TJournalRecord::OfClip(TJournalRecord::Added, "Seeds", *coll.Clip(i)));
        append(TJournalRecord::OfClip(TJournalRecord::Changed, "Seeds", *inFile));
        append(TJournalRecord::OfDeletion("Seeds", coll.Clip(0)->SerialNbr));
        seeds.Seed("JournalFuzz", "captures", journal);
    }
    const std::string collFile = store.dir + TClipColl::FileName;
    coll.SaveToFile(collFile);
    const Bytes collection = FileBytes(collFile);
    seeds.Seed("CollectionFileFuzz", "collection", collection);
    {
        // The collection's own fields and count without their checksum, then its clip records, all in the
        // older layout.
        const std::string first = std::string("\x08") + TClipObj::CheckedRecordHeader;
        const auto at = std::search(collection.begin(), collection.end(), first.begin(), first.end());
        Bytes old(collection.begin(), at - 4);
        const std::string header = TClipColl::UncheckedFileHeader;
        std::copy(header.begin(), header.end(), old.begin() + 1);
        const Bytes clips = Unchecked(Bytes(at, collection.end()), UncheckedClip);
        old.insert(old.end(), clips.begin(), clips.end());
        seeds.Seed("CollectionFileFuzz", "collection-unchecked", old);
    }
    const Bytes packedFile = FileBytes(store.dir + TClipFile::DataFileName(inFile->SerialNbr));
    seeds.Seed("DataRecordFuzz", "packed-text-file-unchecked",
               Unchecked(packedFile, [](TByteReader& in, Bytes& out) { UncheckedFormats(in, out, 1); }));
    seeds.Seed("DataRecordFuzz", "packed-text-file", FileBytes(store.dir + TClipFile::DataFileName(inFile->SerialNbr)));
    seeds.Seed("DataRecordFuzz", "bitmap-file", FileBytes(store.dir + TClipFile::DataFileName(picture->SerialNbr)));
    for (std::size_t i = 0; i < coll.Count(); ++i) {
        TByteWriter w;
        coll.Clip(i)->SaveToStream(w);
        const Bytes clip = w.Take();
        seeds.Seed("ClipRecordFuzz", "clip-" + std::to_string(i), clip);
        seeds.Seed("ClipRecordFuzz", "clip-" + std::to_string(i) + "-unchecked", Unchecked(clip, UncheckedClip));
    }

    // Single format records: plain, packed, registered, as the data file and the collection file hold them.
    const std::vector<std::pair<std::string, std::unique_ptr<TClipData>>> records = [&] {
        std::vector<std::pair<std::string, std::unique_ptr<TClipData>>> r;
        r.emplace_back("text", Block(bx::platform::CF_TEXT, "CF_TEXT", "plain text"));
        r.emplace_back("packed", Block(bx::platform::CF_TEXT, "CF_TEXT", LongText()));
        r.emplace_back("rtf", Block(store.context.RtfFormat, "Rich Text Format", "{\\rtf1 {\\b bold} text}"));
        return r;
    }();
    for (const auto& [name, record] : records) {
        TByteWriter w;
        record->SaveToStream(w, 1, store.dir, name == "packed");
        const Bytes bytes = w.Take();
        seeds.Seed("DataRecordFuzz", name, bytes);
        seeds.Seed("DataRecordFuzz", name + "-unchecked",
                   Unchecked(bytes, [](TByteReader& in, Bytes& out) { UncheckedFormats(in, out, 1); }));
    }

    // Picture files of every encoding, and the clipboard's blocks they came from.
    for (const auto& [name, dib] : dibs) {
        TBitmap bitmap;
        if (!bitmap.LoadFromDib(dib)) {
            std::fprintf(stderr, "the %s DIB does not load\n", name.c_str());
            return 1;
        }
        seeds.Seed("PictureFileFuzz", name, bitmap.SaveToBmpBytes());
        seeds.Seed("ClipboardPictureFuzz", "dib-" + name, dib);
    }
    TMetafile emf;
    TMetafile wmf;
    if (!emf.LoadFromEnhMetafileBlock(Emf()) || !wmf.LoadFromBytes(Wmf())) {
        std::fprintf(stderr, "the metafiles do not load\n");
        return 1;
    }
    seeds.Seed("PictureFileFuzz", "emf", emf.Bytes());
    seeds.Seed("PictureFileFuzz", "wmf", wmf.Bytes());
    seeds.Seed("ClipboardPictureFuzz", "enhmetafile", emf.EnhMetafileBlock());
    seeds.Seed("ClipboardPictureFuzz", "metafilepict", wmf.MetafilePictBlock());
    return 0;
}
