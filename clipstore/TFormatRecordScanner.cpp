#include "TFormatRecordScanner.h"

#include "EMyStreamError.h"
#include "TByteReader.h"
#include "TChecksum.h"
#include "TClipData.h"

namespace bx::clipstore {

namespace {

void Check(TByteReader& in, std::uint32_t sum) {
    if (in.ReadU32() != sum)
        throw EMyStreamError("Format record fails its checksum");
}

} // namespace

bool TFormatRecordScanner::MoreRecords(const TByteReader& in, std::int32_t turn, std::int32_t count) {
    return turn < count && in.Remaining() >= MinRecordBytes;
}

void TFormatRecordScanner::ReadHead(TByteReader& in, Head& head, std::string* rawName) {
    // The fields stay in a streamed reader's window until their checksum is taken.
    in.Peek(MaxHeadBytes);
    head.Start = in.Position();
    head.Version = TClipData::HeaderVersion(in.ReadRawString());
    if (head.RequireChecked && !IsChecked(head))
        throw EMyStreamError("Format record without a checksum where one is due");
    head.FormatType = static_cast<std::uint8_t>(in.ReadU32() & 0xFF);
    if (rawName != nullptr)
        *rawName = in.ReadRawString();
    else
        in.ReadView(in.ReadU8());
    head.FormatNum = in.ReadU16();
    head.DataSize = in.ReadI32();
    head.Pasteable = head.Version >= 510 ? in.ReadBool() : true;
}

std::uint32_t TFormatRecordScanner::ReadBlockLength(TByteReader& in, Head& head) {
    const std::uint32_t length = in.ReadU32();
    if (length > in.Remaining())
        throw EMyStreamError("Block of " + std::to_string(length) + " bytes runs past the end of the stream");
    if (IsChecked(head))
        head.Sum = HeadSum(in.Held(head.Start));
    return length;
}

void TFormatRecordScanner::CheckBlock(TByteReader& in, const Head& head, std::span<const std::uint8_t> block) {
    if (IsChecked(head))
        Check(in, RecordSum(head.Sum, block));
}

void TFormatRecordScanner::CheckPicture(TByteReader& in, const Head& head) {
    if (IsChecked(head))
        Check(in, RecordSum(HeadSum(in.Held(head.Start)), {}));
}

bool TFormatRecordScanner::IsPacked(const Head& head) {
    return head.Version == TClipData::PackedRecordVersion || head.Version == TClipData::CheckedPackedRecordVersion;
}

std::uint32_t TFormatRecordScanner::HeadSum(std::span<const std::uint8_t> fields) {
    return TChecksum::Of(std::as_bytes(fields), ChecksumSeed);
}

std::uint32_t TFormatRecordScanner::RecordSum(std::uint32_t headSum, std::span<const std::uint8_t> block) {
    return TChecksum::Of(std::as_bytes(block), headSum);
}

} // namespace bx::clipstore
