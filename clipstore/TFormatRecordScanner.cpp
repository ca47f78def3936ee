#include "TFormatRecordScanner.h"

#include "EMyStreamError.h"
#include "TByteReader.h"
#include "TClipData.h"

namespace bx::clipstore {

bool TFormatRecordScanner::MoreRecords(const TByteReader& in, std::int32_t turn, std::int32_t count) {
    return turn < count && in.Remaining() >= MinRecordBytes;
}

void TFormatRecordScanner::ReadHead(TByteReader& in, Head& head, std::string* rawName) {
    head.Version = TClipData::HeaderVersion(in.ReadRawString());
    head.FormatType = static_cast<std::uint8_t>(in.ReadU32() & 0xFF);
    if (rawName != nullptr)
        *rawName = in.ReadRawString();
    else
        in.ReadView(in.ReadU8());
    head.FormatNum = in.ReadU16();
    head.DataSize = in.ReadI32();
    head.Pasteable = head.Version >= 510 ? in.ReadBool() : true;
}

std::uint32_t TFormatRecordScanner::ReadBlockLength(TByteReader& in) {
    const std::uint32_t length = in.ReadU32();
    if (length > in.Remaining())
        throw EMyStreamError("Block of " + std::to_string(length) + " bytes runs past the end of the stream");
    return length;
}

bool TFormatRecordScanner::IsPacked(const Head& head) {
    return head.Version >= TClipData::PackedRecordVersion;
}

} // namespace bx::clipstore
