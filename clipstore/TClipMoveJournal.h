#pragma once

#include "PlatformTypes.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace bx::clipstore {

class TClipColl;

// The note a move of clips between collections leaves in the target collection's directory while the
// two collection files are written one after the other ("_MOVES.BX4"). A move writes the clips' files
// into the target, this note, the target's collection file and then the source's; only then are the
// source's files removed and the note deleted. A move stopped anywhere in between leaves each clip in
// the source, in the target, or (between the two collection files) in both; the note tells the next
// load which: a clip listed in the target under its new serial number and time stamp is taken out of
// the source, and files of a clip listed in neither place are removed.
class TClipMoveJournal {
public:
    static constexpr const char* FileName = "_MOVES.BX4";
    static constexpr const char* Header = "BXMOVES 1";
    // A note larger than this is not one the program wrote.
    static constexpr std::size_t MaxBytes = 16 * 1024 * 1024;

    struct Entry {
        std::int32_t OldSerial = 0;
        std::int32_t NewSerial = 0;
        platform::TDateTime TimeStamp = 0;
    };
    struct Note {
        std::string SourceDir; // the source collection's directory, ending in "/"
        std::vector<Entry> Entries;
    };

    // Writes the note into targetDir (flushed before it returns); false when it could not be written.
    static bool Write(const std::string& targetDir, const Note& note, std::string* error = nullptr);
    // The note of targetDir; none when there is none or it is not one the program wrote.
    static std::optional<Note> Read(const std::string& targetDir);
    static bool Exists(const std::string& targetDir);
    static void Remove(const std::string& targetDir);
    static std::string Format(const Note& note);
    static std::optional<Note> Parse(const std::string& text);

    // Removes the files of the clips with these serial numbers in dir ("D" n ".DAT" and the pictures, in
    // any case), reading the directory once, and flushes it.
    static void RemoveSerialFiles(const std::string& dir, const std::vector<std::int32_t>& serials);
    // The names of those files that exist in dir, as spelled on disk.
    static std::vector<std::string> SerialFiles(const std::string& dir, std::int32_t serial);

    // Finishes the moves that the notes of these collections tell of (see above), saving each source
    // that lost a clip with save; a note is deleted once its source is saved. Returns the number of
    // clips taken out of sources.
    static int Recover(const std::vector<TClipColl*>& colls, const std::function<void(TClipColl&)>& save);
};

} // namespace bx::clipstore
