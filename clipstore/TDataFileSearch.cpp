#include "TDataFileSearch.h"

#include "PlatformTypes.h"
#include "TBlockPacker.h"
#include "TByteReader.h"
#include "TClipData.h"
#include "TDirFiles.h"
#include "TFormatRecordScanner.h"
#include "TTextSearch.h"
#include "UniqueFd.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bx::clipstore {

namespace {

using FileSearch = TClipObj::FileSearch;

// The whole of a regular file into out (its capacity reused); false when it cannot be read, is
// not a regular file or turns out shorter than it was.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
    const platform::UniqueFd f(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (f.Get() < 0 || ::fstat(f.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<std::uintmax_t>(st.st_size) > TBlockPacker::MaxSize)
        return false;
    // The size the directory gives is the size read: data files are replaced whole, never grown.
    const auto size = static_cast<std::size_t>(st.st_size);
    out.resize(size);
    std::size_t have = 0;
    while (have < size) {
        const ssize_t n = ::read(f.Get(), out.data() + have, out.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        have += static_cast<std::size_t>(n);
    }
    return have == size;
}

// A buffer lent to a reader and given back when the reader is done, however it ends.
class LentBuffer {
public:
    explicit LentBuffer(std::vector<std::uint8_t>& home) : home_(home), reader_(std::move(home)) {}
    ~LentBuffer() { home_ = reader_.Release(); }
    LentBuffer(const LentBuffer&) = delete;
    LentBuffer& operator=(const LentBuffer&) = delete;
    TByteReader& Reader() { return reader_; }

private:
    std::vector<std::uint8_t>& home_;
    TByteReader reader_;
};

// The first text format's verdict, from the data file's bytes.
FileSearch SearchRecords(std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>& unpacked,
                         std::int32_t formatCount, std::string_view upperNeedle) {
    LentBuffer lent(bytes);
    TByteReader& in = lent.Reader();
    // The records as the clip reads them; the first text format is the one searched.
    std::span<const std::uint8_t> text;
    bool haveText = false;
    bool textPacked = false;
    bool checked = false;
    for (std::int32_t i = 0; TFormatRecordScanner::MoreRecords(in, i, formatCount); ++i) {
        TFormatRecordScanner::Head head;
        head.RequireChecked = checked; // as the clip's loading reads them
        TFormatRecordScanner::ReadHead(in, head, nullptr);
        checked = TFormatRecordScanner::IsChecked(head);
        if (head.FormatType != TClipData::TypeBlock)
            return FileSearch::Unknown;
        const std::span<const std::uint8_t> block = in.ReadView(TFormatRecordScanner::ReadBlockLength(in, head));
        // A record that fails its checksum raises: the clip's loading settles it (and reports it).
        TFormatRecordScanner::CheckBlock(in, head, block);
        if (head.FormatNum == platform::CF_TEXT && !haveText) {
            haveText = true;
            text = block;
            textPacked = TFormatRecordScanner::IsPacked(head);
        }
    }
    if (!haveText)
        return FileSearch::NoMatch;
    if (textPacked) {
        const std::optional<std::size_t> size = TBlockPacker::UnpackedSize(text);
        if (!size)
            return FileSearch::Unknown;
        unpacked.resize(*size);
        if (!TBlockPacker::Unpack(text, unpacked))
            return FileSearch::Unknown;
        text = unpacked;
    }
    // The text up to its zero byte, as FindInbody searches it.
    const auto* start = reinterpret_cast<const char*>(text.data());
    const std::string_view body(start, text.empty() ? 0 : strnlen(start, text.size()));
    return TTextSearch::HoldsUpperAscii(body, upperNeedle) ? FileSearch::Match : FileSearch::NoMatch;
}

} // namespace

FileSearch TDataFileSearch::Find(const TClipObj::DataFileText& file, std::string_view upperNeedle) {
    if (upperNeedle.empty())
        return FileSearch::NoMatch;
    thread_local std::vector<std::uint8_t> bytes;
    thread_local std::vector<std::uint8_t> unpacked;
    try {
        // The file under its own name, else under another spelling of it (as TDirFiles finds it).
        const std::string name = TClipObj::DataFileName(file.SerialNbr);
        if (!ReadWholeFile(file.Dir + name, bytes)) {
            const std::optional<std::string> other = TDirFiles::Find(file.Dir, name);
            if (!other || *other == file.Dir + name || !ReadWholeFile(*other, bytes))
                return FileSearch::Unknown;
        }
        return SearchRecords(bytes, unpacked, file.FormatCount, upperNeedle);
    } catch (...) {
        return FileSearch::Unknown;
    }
}

} // namespace bx::clipstore
