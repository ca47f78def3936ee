#include "TJournalRecord.h"

#include "TBitmap.h"
#include "TByteWriter.h"
#include "TChecksum.h"
#include "TClipData.h"
#include "TClipObj.h"
#include "TMetafile.h"

#include "GlobalMemory.h"
#include "LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

namespace bx::clipstore {

namespace {

using platform::LeU32;
using platform::PutLe32At;

// Writes the header with a zero length, the body is appended by the caller, Finish sets the length and
// appends the checksum.
TByteWriter Begin(std::uint8_t kind) {
    TByteWriter w;
    w.WriteU32(TJournalRecord::Magic);
    w.WriteU8(TJournalRecord::Version);
    w.WriteU8(kind);
    w.WriteU16(0);
    w.WriteU32(0);
    return w;
}

std::vector<std::uint8_t> Finish(TByteWriter& w) {
    std::vector<std::uint8_t> bytes = w.Take();
    PutLe32At(bytes, 8, static_cast<std::uint32_t>(bytes.size() - TJournalRecord::HeaderSize));
    const std::uint32_t sum = TChecksum::Of(std::as_bytes(std::span(bytes)), TJournalRecord::ChecksumSeed);
    const std::size_t at = bytes.size();
    bytes.resize(at + 4);
    PutLe32At(bytes, at, sum);
    return bytes;
}

void WriteName(TByteWriter& w, const std::string& collection) {
    const std::size_t n = std::min(collection.size(), TJournalRecord::MaxCollectionPath);
    w.WriteU16(static_cast<std::uint16_t>(n));
    w.WriteBytes(reinterpret_cast<const std::uint8_t*>(collection.data()), n);
}

// The clip's record as the collection file holds it, its formats inline (memory blocks as plain records)
// and an unloaded clip's data left in its data file: small parts written into the owned buffers, a block's
// bytes referred to where they lie (locked until Unlock).
class ClipPieces {
public:
    explicit ClipPieces(TClipObj& clip) {
        const bool loaded = static_cast<bool>(clip.Formats);
        TByteWriter& w = Small();
        w.WriteString(TClipObj::RecordHeader);
        w.WriteString(clip.Title);
        w.WriteString(clip.Creator);
        w.WriteI32(clip.IconBits);
        w.WriteDouble(clip.TimeStamp);
        w.WriteI32(clip.Reserved);
        w.WriteI32(clip.SerialNbr);
        w.WriteI32(clip.SortKey);
        w.WriteI32(loaded ? static_cast<std::int32_t>(clip.Formats->size()) : clip.StoredFormatCount);
        w.WriteString(clip.SourceURL);
        w.WriteBool(!loaded);
        if (!loaded)
            return;
        for (const auto& d : *clip.Formats) {
            if (d->Format_Type != TClipData::TypeBlock) {
                d->SaveToStream(Small(), clip.SerialNbr, std::string());
                continue;
            }
            // The layout of TClipData's plain block record.
            TByteWriter& h = Small();
            h.WriteString(TClipData::RecordHeader);
            h.WriteU32(d->Format_Type);
            h.WriteString(d->FormatName);
            h.WriteU16(d->FormatNum);
            h.WriteI32(d->DataSize);
            h.WriteBool(d->Pasteable);
            const std::size_t size = platform::GlobalSize(d->Handle);
            h.WriteU32(static_cast<std::uint32_t>(size));
            if (size > 0) {
                locked_.push_back(d->Handle);
                Large({static_cast<const std::uint8_t*>(platform::GlobalLock(d->Handle)), size});
            }
        }
    }
    ~ClipPieces() {
        for (const platform::HGLOBAL h : locked_)
            platform::GlobalUnlock(h);
    }
    ClipPieces(const ClipPieces&) = delete;
    ClipPieces& operator=(const ClipPieces&) = delete;

    std::size_t Size() const {
        std::size_t n = 0;
        for (const Piece& p : pieces_)
            n += p.owned >= 0 ? buffers_[static_cast<std::size_t>(p.owned)]->Size() : p.bytes.size();
        return n;
    }
    void Emit(const std::function<void(std::span<const std::uint8_t>)>& out) const {
        for (const Piece& p : pieces_)
            out(p.owned >= 0 ? std::span<const std::uint8_t>(buffers_[static_cast<std::size_t>(p.owned)]->Bytes())
                             : p.bytes);
    }

private:
    struct Piece {
        int owned = -1; // a buffer of ours, else bytes
        std::span<const std::uint8_t> bytes;
    };
    TByteWriter& Small() {
        if (pieces_.empty() || pieces_.back().owned < 0) {
            buffers_.push_back(std::make_unique<TByteWriter>());
            pieces_.push_back({static_cast<int>(buffers_.size() - 1), {}});
        }
        return *buffers_.back();
    }
    void Large(std::span<const std::uint8_t> bytes) { pieces_.push_back({-1, bytes}); }

    std::vector<std::unique_ptr<TByteWriter>> buffers_;
    std::vector<Piece> pieces_;
    std::vector<platform::HGLOBAL> locked_;
};

// A reader over one record's body that says when it runs out instead of raising.
class BodyReader {
public:
    explicit BodyReader(std::span<const std::uint8_t> body) : body_(body) {}
    std::optional<std::span<const std::uint8_t>> Take(std::size_t n) {
        if (n > body_.size() - pos_)
            return std::nullopt;
        const auto part = body_.subspan(pos_, n);
        pos_ += n;
        return part;
    }
    std::optional<std::uint32_t> U32() {
        const auto p = Take(4);
        return p ? std::optional(LeU32(p->data())) : std::nullopt;
    }
    std::optional<std::uint32_t> U16() {
        const auto p = Take(2);
        return p ? std::optional<std::uint32_t>((*p)[0] | (*p)[1] << 8) : std::nullopt;
    }
    std::optional<std::uint8_t> U8() {
        const auto p = Take(1);
        return p ? std::optional((*p)[0]) : std::nullopt;
    }
    bool AtEnd() const { return pos_ == body_.size(); }

private:
    std::span<const std::uint8_t> body_;
    std::size_t pos_ = 0;
};

std::optional<TJournalRecord::Entry> ParseBody(std::uint8_t kind, std::span<const std::uint8_t> body) {
    BodyReader r(body);
    TJournalRecord::Entry e;
    e.Kind = kind;
    const auto nameLength = r.U16();
    if (!nameLength || *nameLength > TJournalRecord::MaxCollectionPath)
        return std::nullopt;
    const auto name = r.Take(*nameLength);
    const auto serial = r.U32();
    const auto sortKey = r.U32();
    const auto recordLength = r.U32();
    if (!name || !serial || !sortKey || !recordLength)
        return std::nullopt;
    e.Collection.assign(reinterpret_cast<const char*>(name->data()), name->size());
    e.SerialNbr = static_cast<std::int32_t>(*serial);
    e.SortKey = static_cast<std::int32_t>(*sortKey);
    const auto record = r.Take(*recordLength);
    const auto pictures = r.U8();
    if (!record || !pictures)
        return std::nullopt;
    e.ClipRecord = *record;
    for (std::uint8_t i = 0; i < *pictures; ++i) {
        const auto pictureKind = r.U8();
        const auto length = r.U32();
        if (!pictureKind || !length)
            return std::nullopt;
        const auto bytes = r.Take(*length);
        if (!bytes || (*pictureKind != TJournalRecord::BitmapDib && *pictureKind != TJournalRecord::MetafileBytes))
            return std::nullopt;
        e.Pictures.push_back({*pictureKind, *bytes});
    }
    // A deletion carries no clip; anything else must.
    if (!r.AtEnd() || (kind == TJournalRecord::Deleted) != e.ClipRecord.empty())
        return std::nullopt;
    return e;
}

} // namespace

std::size_t TJournalRecord::WriteClip(Kind kind, const std::string& collection, TClipObj& clip, const Sink& out) {
    const ClipPieces record(clip);
    std::vector<std::pair<PictureKind, const std::vector<std::uint8_t>*>> pictures;
    if (clip.Formats)
        for (const auto& d : *clip.Formats) {
            if (pictures.size() == 255)
                break;
            if (d->Format_Type == TClipData::TypeBitmap && d->Bitmap)
                pictures.emplace_back(BitmapDib, &d->Bitmap->Dib());
            else if (d->Format_Type == TClipData::TypeMetafile && d->Metafile)
                pictures.emplace_back(MetafileBytes, &d->Metafile->Bytes());
        }
    // Everything before the record's own bytes, then what follows them.
    TByteWriter head = Begin(kind);
    WriteName(head, collection);
    head.WriteI32(clip.SerialNbr);
    head.WriteI32(clip.SortKey);
    const std::size_t recordSize = record.Size();
    head.WriteU32(static_cast<std::uint32_t>(recordSize));
    TByteWriter tail;
    tail.WriteU8(static_cast<std::uint8_t>(pictures.size()));
    std::size_t picturesSize = 0;
    for (const auto& p : pictures)
        picturesSize += 5 + p.second->size();
    std::vector<std::uint8_t> headBytes = head.Take();
    const std::size_t body = headBytes.size() - HeaderSize + recordSize + tail.Size() + picturesSize;
    PutLe32At(headBytes, 8, static_cast<std::uint32_t>(body));

    TChecksum::Running sum(ChecksumSeed);
    const auto emit = [&](std::span<const std::uint8_t> bytes) {
        sum.Add(std::as_bytes(bytes));
        out(bytes);
    };
    emit(headBytes);
    record.Emit(emit);
    emit(tail.Bytes());
    for (const auto& [pictureKind, bytes] : pictures) {
        TByteWriter ph;
        ph.WriteU8(pictureKind);
        ph.WriteU32(static_cast<std::uint32_t>(bytes->size()));
        emit(ph.Bytes());
        emit(*bytes);
    }
    std::vector<std::uint8_t> trailer(4);
    PutLe32At(trailer, 0, sum.Value());
    out(trailer);
    return HeaderSize + body + TrailerSize;
}

std::vector<std::uint8_t> TJournalRecord::OfClip(Kind kind, const std::string& collection, TClipObj& clip) {
    std::vector<std::uint8_t> bytes;
    WriteClip(kind, collection, clip,
              [&](std::span<const std::uint8_t> piece) { bytes.insert(bytes.end(), piece.begin(), piece.end()); });
    return bytes;
}

std::vector<std::uint8_t> TJournalRecord::OfDeletion(const std::string& collection, std::int32_t serialNbr) {
    TByteWriter w = Begin(Deleted);
    WriteName(w, collection);
    w.WriteI32(serialNbr);
    w.WriteI32(0);
    w.WriteU32(0);
    w.WriteU8(0);
    return Finish(w);
}

TJournalRecord::ReadResult TJournalRecord::Read(std::span<const std::uint8_t> bytes) {
    ReadResult result;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t left = bytes.size() - at;
        const std::uint8_t* p = bytes.data() + at;
        if (left < HeaderSize + TrailerSize || LeU32(p) != Magic || p[4] != Version || p[5] < Added || p[5] > Deleted) {
            result.Damaged = true;
            break;
        }
        const std::uint32_t bodyLength = LeU32(p + 8);
        if (bodyLength > MaxBody || bodyLength > left - HeaderSize - TrailerSize) {
            result.Damaged = true;
            break;
        }
        const std::size_t covered = HeaderSize + bodyLength;
        const auto record = bytes.subspan(at, covered);
        if (TChecksum::Of(std::as_bytes(record), ChecksumSeed) != LeU32(p + covered)) {
            result.Damaged = true;
            break;
        }
        auto entry = ParseBody(p[5], record.subspan(HeaderSize));
        if (!entry) {
            result.Damaged = true;
            break;
        }
        result.Entries.push_back(std::move(*entry));
        at += covered + TrailerSize;
        result.GoodBytes = at;
    }
    return result;
}

} // namespace bx::clipstore
