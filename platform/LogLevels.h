// The levels of log lines. A line is written when its level shares a bit with the user's mask (the
// LogLevel setting); a line may carry more than one bit.
#pragma once

namespace bx::platform {

inline constexpr int LogAlways = 1;      // the lines every usual mask lets through
inline constexpr int LogErrors = 2;      // failures, also those the program gets over
inline constexpr int LogStartStop = 4;   // start-up, loading the data, shutting down, the session
inline constexpr int LogDialogs = 8;     // dialogs and message boxes opened and closed
inline constexpr int LogDeletion = 16;   // clips and collections deleted or purged
inline constexpr int LogDataEvents = 32; // clipboard changes, captures, copies and saves
inline constexpr int LogDetail = 64;     // the steps inside the above
// Every level: as a mask it lets every line through; as a line's level, every mask but none.
inline constexpr int LogAll =
    LogAlways | LogErrors | LogStartStop | LogDialogs | LogDeletion | LogDataEvents | LogDetail;

} // namespace bx::platform
