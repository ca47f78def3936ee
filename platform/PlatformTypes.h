// Basic types, message numbers and clipboard format numbers of the platform layer.
// The names follow the classic desktop API so that the clipboard code reads naturally against them.
#pragma once

#include <cstdint>
#include <string_view>

namespace bx::platform {

using HWND = std::uint64_t;   // a window; 0 is "no window"
using HANDLE = std::uint64_t; // clipboard data: a movable memory block or a graphic object; 0 is "none"
using HGLOBAL = HANDLE;
using UINT = std::uint32_t;
using WPARAM = std::uint64_t;
using LPARAM = std::int64_t;
using LRESULT = std::int64_t;
using TimerId = std::uint64_t;

// A local date-time: days since 30 December 1899, the fraction is the time of day.
using TDateTime = double;

inline constexpr HWND NoWindow = 0;

// Window messages.
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUERYENDSESSION = 0x0011;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_POWERBROADCAST = 0x0218;
inline constexpr UINT WM_RENDERFORMAT = 0x0305;
inline constexpr UINT WM_RENDERALLFORMATS = 0x0306;
inline constexpr UINT WM_DESTROYCLIPBOARD = 0x0307;
inline constexpr UINT WM_DRAWCLIPBOARD = 0x0308;
inline constexpr UINT WM_CHANGECBCHAIN = 0x030D;
inline constexpr UINT WM_HOTKEY = 0x0312;
inline constexpr UINT WM_USER = 0x0400;

// Predefined clipboard formats.
inline constexpr UINT CF_TEXT = 1;
inline constexpr UINT CF_BITMAP = 2;
inline constexpr UINT CF_METAFILEPICT = 3;
inline constexpr UINT CF_SYLK = 4;
inline constexpr UINT CF_DIF = 5;
inline constexpr UINT CF_TIFF = 6;
inline constexpr UINT CF_OEMTEXT = 7;
inline constexpr UINT CF_DIB = 8;
inline constexpr UINT CF_PALETTE = 9;
inline constexpr UINT CF_PENDATA = 10;
inline constexpr UINT CF_RIFF = 11;
inline constexpr UINT CF_WAVE = 12;
inline constexpr UINT CF_UNICODETEXT = 13;
inline constexpr UINT CF_ENHMETAFILE = 14;
inline constexpr UINT CF_HDROP = 15;
inline constexpr UINT CF_LOCALE = 16;
inline constexpr UINT CF_DIBV5 = 17;
inline constexpr UINT CF_OWNERDISPLAY = 0x0080;
inline constexpr UINT CF_DSPTEXT = 0x0081;
inline constexpr UINT CF_DSPBITMAP = 0x0082;
inline constexpr UINT CF_DSPMETAFILEPICT = 0x0083;
inline constexpr UINT CF_DSPENHMETAFILE = 0x008E;
inline constexpr UINT FirstRegisteredFormat = 0xC000;
inline constexpr UINT LastRegisteredFormat = 0xFFFF;

// The marker that tells clipboard tools to leave a change alone: a registered format, and the bytes it
// holds when the program puts it beside its data.
inline constexpr std::string_view IgnoreFormatName = "Clipboard Viewer Ignore";
inline constexpr std::string_view IgnoreMarkerText = "Ignore This Data From Brindlex 5";

// Flags of GlobalAlloc.
inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GMEM_DDESHARE = 0x2000;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// Beep kinds of MessageBeep.
inline constexpr UINT MB_OK = 0x0000;
inline constexpr UINT MB_ICONHAND = 0x0010;
inline constexpr UINT MB_ICONEXCLAMATION = 0x0030;
inline constexpr UINT MB_ICONASTERISK = 0x0040;

// The shortest interval a timer runs at; shorter ones (0 included) are raised to it.
inline constexpr UINT USER_TIMER_MINIMUM = 10;

} // namespace bx::platform
