#include "TClipMoveJournal.h"

#include "AtomicFile.h"
#include "LogHook.h"
#include "TClipColl.h"
#include "TClipObj.h"
#include "TDirFiles.h"

#include <bit>
#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <system_error>

namespace bx::clipstore {

using namespace platform;

namespace {

constexpr const char* FileKinds[][2] = {{"D", ".DAT"}, {"I", ".bmp"}, {"I", ".wmf"}, {"I", ".emf"}};

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool SameDir(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

template <typename T> bool ParseNumber(const std::string& text, T& value, int base = 10) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    return ec == std::errc() && ptr == end;
}

// The index of the clip with this serial number and time stamp; -1 when there is none.
int FindClip(const TClipColl& coll, std::int32_t serial, TDateTime stamp) {
    for (std::size_t i = 0; i < coll.Count(); ++i) {
        const TClipObj* clip = coll.Clip(i);
        if (clip != nullptr && clip->SerialNbr == serial && clip->TimeStamp == stamp)
            return static_cast<int>(i);
    }
    return -1;
}

bool HasSerial(const TClipColl& coll, std::int32_t serial) {
    for (std::size_t i = 0; i < coll.Count(); ++i)
        if (coll.Clip(i) != nullptr && coll.Clip(i)->SerialNbr == serial)
            return true;
    return false;
}

} // namespace

std::string TClipMoveJournal::Format(const Note& note) {
    std::string text = std::string(Header) + "\n" + note.SourceDir + "\n";
    for (const Entry& e : note.Entries) {
        char stamp[17];
        std::snprintf(stamp, sizeof stamp, "%016llx",
                      static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(e.TimeStamp)));
        text += std::to_string(e.OldSerial) + " " + std::to_string(e.NewSerial) + " " + stamp + "\n";
    }
    return text;
}

std::optional<TClipMoveJournal::Note> TClipMoveJournal::Parse(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != Header)
        return std::nullopt;
    Note note;
    if (!std::getline(in, note.SourceDir) || note.SourceDir.empty() || note.SourceDir.front() != '/' ||
        note.SourceDir.back() != '/')
        return std::nullopt;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string oldText, newText, stampText, rest;
        if (!(fields >> oldText >> newText >> stampText) || (fields >> rest) || stampText.size() != 16)
            return std::nullopt;
        Entry e;
        std::uint64_t bits = 0;
        if (!ParseNumber(oldText, e.OldSerial) || !ParseNumber(newText, e.NewSerial) ||
            !ParseNumber(stampText, bits, 16) || e.OldSerial <= 0 || e.NewSerial <= 0)
            return std::nullopt;
        e.TimeStamp = std::bit_cast<TDateTime>(bits);
        note.Entries.push_back(e);
    }
    return note;
}

bool TClipMoveJournal::Write(const std::string& targetDir, const Note& note, std::string* error) {
    const std::string text = Format(note);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    return AtomicFile::Write(targetDir + FileName, {bytes, text.size()}, error);
}

bool TClipMoveJournal::Exists(const std::string& targetDir) {
    // The program writes the note under this exact name: no search without regard to case, which would
    // read the whole directory at every load.
    std::error_code ec;
    return std::filesystem::symlink_status(targetDir + FileName, ec).type() == std::filesystem::file_type::regular;
}

std::optional<TClipMoveJournal::Note> TClipMoveJournal::Read(const std::string& targetDir) {
    if (!Exists(targetDir))
        return std::nullopt;
    const std::string path = targetDir + FileName;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > MaxBytes)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return Parse(text);
}

void TClipMoveJournal::Remove(const std::string& targetDir) {
    std::error_code ec;
    if (std::filesystem::remove(targetDir + FileName, ec))
        AtomicFile::SyncDirectory(targetDir);
}

std::vector<std::string> TClipMoveJournal::SerialFiles(const std::string& dir, std::int32_t serial) {
    std::vector<std::string> found;
    for (const auto& kind : FileKinds)
        if (const auto path = TDirFiles::Find(dir, kind[0] + std::to_string(serial) + kind[1]))
            found.push_back(std::filesystem::path(*path).filename().string());
    return found;
}

void TClipMoveJournal::RemoveSerialFiles(const std::string& dir, const std::vector<std::int32_t>& serials) {
    std::set<std::string> names;
    for (const std::int32_t serial : serials)
        for (const auto& kind : FileKinds)
            names.insert(UpperAscii(kind[0] + std::to_string(serial) + kind[1]));
    std::vector<std::filesystem::path> doomed;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->symlink_status(typeError).type() == std::filesystem::file_type::regular &&
            names.contains(UpperAscii(it->path().filename().string())))
            doomed.push_back(it->path());
    }
    for (const auto& path : doomed)
        std::filesystem::remove(path, ec);
    if (!doomed.empty())
        AtomicFile::SyncDirectory(dir);
}

int TClipMoveJournal::Recover(const std::vector<TClipColl*>& colls, const std::function<void(TClipColl&)>& save) {
    int taken = 0;
    for (TClipColl* target : colls) {
        if (target == nullptr || target->ReadOnly || target->CollType != TClipColl::NormalColl)
            continue;
        const std::string targetDir = target->GetPath();
        if (targetDir.empty() || !Exists(targetDir))
            continue;
        const auto note = Read(targetDir);
        if (!note) {
            // Not a note this program wrote: whatever it says cannot be trusted, and the clips stay.
            LogMsg(LogErrors, "TClipMoveJournal.Recover", "Unreadable Move Note Removed In: " + targetDir);
            Remove(targetDir);
            continue;
        }
        TClipColl* source = nullptr;
        for (TClipColl* coll : colls)
            if (coll != nullptr && coll != target && coll->CollType == TClipColl::NormalColl &&
                SameDir(coll->GetPath(), note->SourceDir))
                source = coll;
        bool sourceChanged = false;
        for (const Entry& e : note->Entries) {
            if (FindClip(*target, e.NewSerial, e.TimeStamp) >= 0) {
                // The target has it: the move got that far, the source's copy goes.
                if (source == nullptr)
                    continue;
                const int index = FindClip(*source, e.OldSerial, e.TimeStamp);
                if (source->ReadOnly)
                    continue;
                if (index >= 0) {
                    source->RemoveItem(index, true);
                    sourceChanged = true;
                    ++taken;
                }
                if (!HasSerial(*source, e.OldSerial))
                    RemoveSerialFiles(note->SourceDir, {e.OldSerial});
            } else if (!HasSerial(*target, e.NewSerial) && source != nullptr &&
                       FindClip(*source, e.OldSerial, e.TimeStamp) >= 0) {
                // The target never listed it and the source still does: the files copied ahead of the
                // target's collection file go. (Listed nowhere, the files are all that is left: kept.)
                RemoveSerialFiles(targetDir, {e.NewSerial});
            }
        }
        try {
            if (sourceChanged) {
                LogMsg(LogErrors, "TClipMoveJournal.Recover", "Finishing An Interrupted Move Into: " + targetDir);
                save(*source);
            }
            Remove(targetDir);
        } catch (const std::exception& e) {
            // The note stays: the next load finishes the move.
            LogMsg(LogErrors, "TClipMoveJournal.Recover", std::string("Source Not Saved: ") + e.what());
        }
    }
    return taken;
}

} // namespace bx::clipstore
