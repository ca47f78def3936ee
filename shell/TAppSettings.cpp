#include "TAppSettings.h"

#include "TAppLog.h"
#include "TDirFiles.h"
#include "TMasterList.h"
#include "TUtf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

namespace bx::shell {

using platform::MsgButtons;
using platform::MsgResult;
using platform::MsgType;

namespace {

constexpr const char* Caption = "Brindlex";
constexpr const char* DataSourcesKey = "DataSources";
constexpr const char* DirsKey = "DataSources\\_Dirs";
constexpr const char* NoCtrlVKey = "Flashpick_NoCtrlV";
constexpr const char* TerminalsKey = "Flashpick_Terminals";
constexpr const char* ReplacementFont = "MS Sans Serif";

enum class Stored { ReadWrite, ReadOnly };
enum class Length { Any, Short };

// At most max bytes, not cutting a UTF-8 sequence in two.
std::string CutShort(const std::string& text) {
    return clipstore::TUtf8::CutBytes(text, TAppSettings::MaxShortText);
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A decimal integer with an optional sign and nothing else; nothing when it is not one.
std::optional<int> ParseInteger(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string FormatMargin(double value) {
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// How many entries of the directory are sub-directories, hidden ones not counted.
std::size_t CountSubDirectories(const std::string& dir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::size_t count = 0;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.empty() && name.front() != '.' && it->is_directory(ec))
            ++count;
    }
    return count;
}

} // namespace

// Sets every field to its default.
class TAppSettings::Defaults {
public:
    void Int(const char*, const char*, int& field, int value, Stored = Stored::ReadWrite) { field = value; }
    void Bool(const char*, const char*, bool& field, bool value) { field = value; }
    void Text(const char*, const char*, std::string& field, std::string_view value, Length = Length::Any) {
        field = std::string(value);
    }
    void Margin(const char*, const char*, double& field, std::string_view value) { field = ReadMargin(value); }
};

// Reads every field, with its default.
class TAppSettings::Reader {
public:
    explicit Reader(const TAppSettings& s) : s_(s) {}
    void Int(const char* key, const char* name, int& field, int value, Stored = Stored::ReadWrite) {
        field = s_.ReadInteger(key, name, value);
    }
    void Bool(const char* key, const char* name, bool& field, bool value) { field = s_.ReadBool(key, name, value); }
    void Text(const char* key, const char* name, std::string& field, std::string_view value,
              Length length = Length::Any) {
        field = s_.ReadText(key, name, value);
        if (length == Length::Short)
            field = CutShort(std::move(field));
    }
    void Margin(const char* key, const char* name, double& field, std::string_view value) {
        field = ReadMargin(s_.ReadText(key, name, value));
    }

private:
    const TAppSettings& s_;
};

// Writes every stored field.
class TAppSettings::Writer {
public:
    explicit Writer(TAppSettings& s) : s_(s) {}
    void Int(const char* key, const char* name, int& field, int, Stored stored = Stored::ReadWrite) {
        if (stored == Stored::ReadWrite)
            s_.WriteInteger(key, name, field);
    }
    void Bool(const char* key, const char* name, bool& field, bool) { s_.WriteBool(key, name, field); }
    void Text(const char* key, const char* name, std::string& field, std::string_view, Length = Length::Any) {
        s_.WriteText(key, name, field);
    }
    void Margin(const char* key, const char* name, double& field, std::string_view) {
        s_.WriteText(key, name, FormatMargin(field));
    }

private:
    TAppSettings& s_;
};

template <class V> void TAppSettings::VisitPreferences(V& v) {
    const char* k = "Preferences";
    v.Int(k, "GreyX", GreyX, 1);
    v.Int(k, "Visibility", Visibility, 1);
    v.Bool(k, "ShowBinary", ShowBinary, false);
    v.Bool(k, "ShowNOCRLF", ShowNOCRLF, false);
    v.Bool(k, "ShowSearch", ShowSearch, false);
    v.Bool(k, "UseSysTray", UseSysTray, true);
    v.Bool(k, "UseCollTitle", UseCollTitle, true);
    v.Bool(k, "RunMinimized", RunMinimized, false);
    v.Int(k, "MenuStyle", MenuStyle, 0);
    v.Bool(k, "BeepOnGlue", BeepOnGlue, true);
    v.Bool(k, "BeepOnUpdate", BeepOnUpdate, true);
    v.Bool(k, "BeepOnErase", BeepOnErase, true);
    v.Bool(k, "BeepOnIgnore", BeepOnIgnore, true);
    v.Bool(k, "BeepOnRFComplete", BeepOnRFComplete, true);
    v.Bool(k, "UseSounds", UseSounds, true);
    v.Bool(k, "UseIEBrowser", UseIEBrowser, true);
    v.Text(k, "LastColl", LastColl, "", Length::Short);
    v.Text(k, "FPAlternateColl", FPAlternateColl, "Long-Term", Length::Short);
    v.Bool(k, "ShowFPAlternates", ShowFPAlternates, true);
    v.Bool(k, "FPStickyButtons", FPStickyButtons, true);
    v.Bool(k, "FPTabButtonDown", FPTabButtonDown, false);
    v.Bool(k, "FPEnterButtonDown", FPEnterButtonDown, false);
    v.Bool(k, "AutoShrink", AutoShrink, false);
    v.Bool(k, "InstalledAlready", InstalledAlready, false);
    v.Bool(k, "ShowHint", ShowHint, true);
    v.Int(k, "HintHidePause", HintHidePause, 4500);
    v.Int(k, "LogLevel", LogLevel, 23);
    v.Bool(k, "AutoCaptureInitialClip1", AutoCaptureInitialClip1, false);
    v.Bool(k, "AutoSave", AutoSave, true);
    v.Int(k, "AutoSaveInterval", AutoSaveInterval, 10);
    v.Bool(k, "ShowItemTypeIcon", ShowItemTypeIcon, true);
    v.Int(k, "AfterLoadDuration", AfterLoadDuration, 150, Stored::ReadOnly);
    v.Int(k, "RelayfeedDelay", RelayfeedDelay, 100);
    v.Bool(k, "UseIgnoreFormat", UseIgnoreFormat, true);
    v.Bool(k, "ConfirmDeleteFromSafe", ConfirmDeleteFromSafe, true);
    v.Int(k, "PhantomDelay", PhantomDelay, 0);
    v.Int(k, "VER_ID", VER_ID, 0);
    v.Bool(k, "WrapText", WrapText, false);
    v.Int(k, "MoveOrCopy", MoveOrCopy, 0);
    v.Int(k, "FindScope", FindScope, 0);
    v.Bool(k, "ContinuallyPing", ContinuallyPing, false);
    v.Int(k, "PingInterval", PingInterval, 10);
    v.Int(k, "PingTolerance", PingTolerance, 2);
    // An X11 clipboard is never half-written: the wait only joins a program's quick double takings of
    // the clipboard into one capture (measured from a copy to the clip listed: 22 ms for a text).
    v.Int(k, "DelayOnClipboardUpdate", DelayOnClipboardUpdate, 20);
    v.Int(k, "DelayAfterCopy", DelayAfterCopy, 999);
    v.Int(k, "SettleTime", SettleTime, 100);
    v.Text(k, "GlueSeparator", GlueSeparator, "\\n");
    v.Bool(k, "GlueOmitExistingCRLF", GlueOmitExistingCRLF, true);
    v.Bool(k, "ShowTypeIcons", ShowTypeIcons, true);
    v.Int(k, "ThumbNailSize", ThumbNailSize, 64);
    v.Int(k, "ThumbNailCacheSize", ThumbNailCacheSize, 32);
}

template <class V> void TAppSettings::VisitHotKeys(V& v) {
    const char* k = "HotKeys";
    v.Text(k, "HKActivate", HKActivate, "Ctrl+Alt+C");
    v.Text(k, "HKSelectNext", HKSelectNext, "Ctrl+Alt+N");
    v.Text(k, "HKSelectPrev", HKSelectPrev, "Ctrl+Alt+P");
    v.Text(k, "HKFlashpick", HKFlashpick, "Shift+Ctrl+Q");
}

template <class V> void TAppSettings::VisitFonts(V& v) {
    const char* k = "Fonts";
    v.Text(k, "ThumbNailFontName", ThumbNailFont.Name, "MS Sans Serif");
    v.Int(k, "ThumbNailFontSize", ThumbNailFont.Size, 8);
    v.Text(k, "OverrideFontName", OverrideFont.Name, "");
    v.Int(k, "OverrideFontSize", OverrideFont.Size, 8);
    v.Text(k, "MagFontName", MagFont.Name, "Courier New");
    v.Int(k, "MagFontSize", MagFont.Size, 8);
    v.Int(k, "MagFontCharset", MagFont.Charset, 1);
    v.Text(k, "ClipListFontName", ClipListFont.Name, "MS Sans Serif");
    v.Int(k, "ClipListFontSize", ClipListFont.Size, 8);
    v.Int(k, "ClipListFontCharset", ClipListFont.Charset, 1);
    // A font without a name keeps the replacement font, which is then written back.
    if (OverrideFont.Name.empty())
        OverrideFont.Name = ReplacementFont;
}

template <class V> void TAppSettings::VisitPosition(V& v) {
    const char* k = "Position";
    v.Int(k, "Left1", Left1, 0);
    v.Int(k, "Top1", Top1, 0);
    v.Int(k, "Width1", Width1, 274);
    v.Int(k, "Height1", Height1, 106);
    v.Int(k, "Height1_Dropdown", Height1_Dropdown, 400);
    v.Int(k, "Left2", Left2, 0);
    v.Int(k, "Top2", Top2, 0);
    v.Int(k, "Width2", Width2, 640);
    v.Int(k, "Height2", Height2, 440);
    v.Int(k, "split1", split1, 120);
    v.Int(k, "split2", split2, 120);
    v.Int(k, "split2a", split2a, 120);
    v.Bool(k, "ShowCaption", ShowCaption, true);
    v.Bool(k, "ShowMainMenu", ShowMainMenu, true);
    v.Bool(k, "StickyDropDown", StickyDropDown, false);
    v.Bool(k, "FPLock", FPLock, false);
    v.Int(k, "LastView", LastView, 1);
    v.Int(k, "CurrentSnap", CurrentSnap, 3);
    v.Int(k, "MoveCopyMode", MoveCopyMode, 1);
    v.Bool(k, "Toolbar1Showing", Toolbar1Showing, true);
    v.Bool(k, "Toolbar2Showing", Toolbar2Showing, true);
    v.Bool(k, "Toolbar3Showing", Toolbar3Showing, true);
    // Splitters never close a pane entirely.
    split1 = std::max(split1, 30);
    split2 = std::max(split2, 30);
    split2a = std::max(split2a, 30);
}

template <class V> void TAppSettings::VisitPrinting(V& v) {
    const char* k = "Printing";
    v.Text(k, "PrintFontName", PrintFont.Name, "Courier New");
    v.Int(k, "PrintFontSize", PrintFont.Size, 10);
    v.Bool(k, "PrintPassThru", PrintPassThru, true);
    v.Bool(k, "QuickPrint", QuickPrint, true);
    v.Bool(k, "PrintDetails", PrintDetails, true);
    v.Bool(k, "PrintFooter", PrintFooter, true);
    v.Bool(k, "MultiPrint", MultiPrint, true);
    v.Int(k, "PrintBitmapScaleFactor", PrintBitmapScaleFactor, 100);
    v.Margin(k, "PrintMarginLeft", PrintMarginLeft, "+1");
    v.Margin(k, "PrintMarginRight", PrintMarginRight, "+1");
    v.Margin(k, "PrintMarginTop", PrintMarginTop, "+0.5");
    v.Margin(k, "PrintMarginBottom", PrintMarginBottom, "+0.5");
    v.Text(k, "LastPrinter", LastPrinter, "No Selection", Length::Short);
    v.Text(k, "LastOrientation", LastOrientation, "Portrait", Length::Short);
    v.Int(k, "BMPPrintColorDepth", BMPPrintColorDepth, 0);
}

template <class V> void TAppSettings::VisitExport(V& v) {
    const char* k = "Export";
    v.Text(k, "ExportDir", ExportDir, DefaultExportDir());
    v.Int(k, "FileNameConvention", FileNameConvention, 1);
    v.Bool(k, "CopyNamesToClipboard", CopyNamesToClipboard, true);
    v.Bool(k, "SaveBmpAsJpg", SaveBmpAsJpg, false);
    v.Int(k, "JpgQuality", JpgQuality, 50);
    v.Bool(k, "EraseDirContents", EraseDirContents, false);
    v.Bool(k, "OpenFolder", OpenFolder, false);
    v.Bool(k, "ResetSequence", ResetSequence, false);
    v.Int(k, "Sequence", Sequence, 1);
    JpgQuality = std::clamp(JpgQuality, 1, 100);
}

template <class V> void TAppSettings::VisitStats(V& v) {
    const char* k = "Stats";
    v.Int(k, "Captured", Captured, 0);
    v.Int(k, "CopiedBack", CopiedBack, 0);
    v.Int(k, "Printed", Printed, 0);
    v.Int(k, "Edits", Edits, 0);
    v.Int(k, "Exported", Exported, 0);
}

TAppSettings::TAppSettings(platform::IRegistry& registry, const platform::IUserDirs& dirs,
                           platform::IMessageBoxes& boxes, platform::IDataFolderDialog& folderDialog,
                           clipstore::TDataSourceList& dataSourceList, std::vector<std::string>& noCtrlVList)
    : registry_(registry), dirs_(dirs), boxes_(boxes), folderDialog_(folderDialog), dataSourceList_(dataSourceList),
      noCtrlVList_(noCtrlVList) {
    ApplyDefaults();
}

const std::vector<std::string>& TAppSettings::DefaultTerminalPrograms() {
    static const std::vector<std::string> programs{"gnome-terminal-server",
                                                   "konsole",
                                                   "xfce4-terminal",
                                                   "mate-terminal",
                                                   "tilix",
                                                   "terminator",
                                                   "alacritty",
                                                   "kitty",
                                                   "wezterm-gui",
                                                   "qterminal",
                                                   "lxterminal",
                                                   "xterm",
                                                   "urxvt",
                                                   "st",
                                                   "foot",
                                                   "sakura",
                                                   "terminology",
                                                   "kgx",
                                                   "ptyxis",
                                                   "tilda",
                                                   "yakuake",
                                                   "cool-retro-term"};
    return programs;
}

void TAppSettings::ReadTerminalPrograms() {
    const std::string key = KeyPath(TerminalsKey);
    if (!registry_.KeyExists(key)) {
        TerminalPrograms = DefaultTerminalPrograms();
        return;
    }
    TerminalPrograms.clear();
    for (std::string& name : registry_.ValueNames(key))
        if (registry_.ReadValue(key, name).value_or("1") != "0")
            TerminalPrograms.push_back(std::move(name));
}

void TAppSettings::WriteTerminalPrograms() {
    registry_.DeleteKey(KeyPath(TerminalsKey));
    const auto listed = [this](const std::string& program) {
        return std::any_of(TerminalPrograms.begin(), TerminalPrograms.end(), [&](const std::string& entry) {
            return clipstore::TUtf8::UpperAscii(entry) == clipstore::TUtf8::UpperAscii(program);
        });
    };
    for (const std::string& program : TerminalPrograms)
        if (!program.empty())
            WriteText(TerminalsKey, program, "1");
    // A default taken off the list stays off; without a key at all the defaults would come back.
    for (const std::string& program : DefaultTerminalPrograms())
        if (!listed(program))
            WriteText(TerminalsKey, program, "0");
}

void TAppSettings::ApplyDefaults() {
    TerminalPrograms = DefaultTerminalPrograms();
    Defaults v;
    VisitPreferences(v);
    VisitHotKeys(v);
    VisitFonts(v);
    VisitPosition(v);
    VisitPrinting(v);
    VisitExport(v);
    VisitStats(v);
}

std::string TAppSettings::KeyPath(std::string_view subKey) const {
    return RootKey + "\\" + std::string(subKey);
}

std::string TAppSettings::DefaultExportDir() const {
    std::string base = clipstore::TDirFiles::WithSlash(dirs_.DocumentsDir());
    if (base.empty())
        base = clipstore::TDirFiles::WithSlash(dirs_.HomeDir());
    if (base.empty())
        base = "/";
    return base + "Brindlex_Export/";
}

int TAppSettings::ReadInteger(std::string_view subKey, std::string_view name, int defaultValue) const {
    const std::optional<std::string> text = registry_.ReadValue(KeyPath(subKey), name);
    if (!text)
        return defaultValue;
    return ParseInteger(*text).value_or(defaultValue);
}

bool TAppSettings::ReadBool(std::string_view subKey, std::string_view name, bool defaultValue) const {
    return ReadInteger(subKey, name, defaultValue ? 1 : 0) != 0;
}

std::string TAppSettings::ReadText(std::string_view subKey, std::string_view name,
                                   std::string_view defaultValue) const {
    return registry_.ReadValue(KeyPath(subKey), name).value_or(std::string(defaultValue));
}

void TAppSettings::WriteInteger(std::string_view subKey, std::string_view name, int value) {
    registry_.WriteValue(KeyPath(subKey), name, std::to_string(value));
}

void TAppSettings::WriteBool(std::string_view subKey, std::string_view name, bool value) {
    WriteInteger(subKey, name, value ? 1 : 0);
}

void TAppSettings::WriteText(std::string_view subKey, std::string_view name, std::string_view value) {
    registry_.WriteValue(KeyPath(subKey), name, value);
}

double TAppSettings::ReadMargin(std::string_view text) {
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return 1.0;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return 1.0;
    return value;
}

std::string TAppSettings::ComputeDefaultDataDir(const platform::IUserDirs& dirs, const std::string& programDir) {
    const std::string tail = "Quorvanti Development/Brindlex5/";
    if (const auto xdg = dirs.Env("XDG_DATA_HOME"); xdg && !xdg->empty() && xdg->front() == '/')
        return clipstore::TDirFiles::WithSlash(*xdg) + tail;
    if (const std::string home = dirs.HomeDir(); !home.empty())
        return clipstore::TDirFiles::WithSlash(home) + ".local/share/" + tail;
    if (const std::string documents = dirs.DocumentsDir(); !documents.empty())
        return clipstore::TDirFiles::WithSlash(documents) + tail;
    return clipstore::TDirFiles::WithSlash(programDir) + "data/";
}

void TAppSettings::CorrectPositions(TScreenSize screen) {
    if (screen.Width <= 0 || screen.Height <= 0)
        return;
    const auto correct = [](int& pos, int& size, int screenSize, int replacement) {
        if (pos < 0)
            pos = 0;
        if (size > screenSize || size < 0)
            size = replacement;
        if (pos > screenSize - 32)
            pos = screenSize - size;
    };
    correct(Left1, Width1, screen.Width, 274);
    correct(Top1, Height1, screen.Height, 106);
    correct(Left2, Width2, screen.Width, 600);
    correct(Top2, Height2, screen.Height, 206);
}

void TAppSettings::WriteDataSource(const std::string& name, const clipstore::TDataSource& source) {
    WriteText(DirsKey, name, "1");
    const std::string key = std::string(DataSourcesKey) + "\\" + name;
    WriteText(key, "Description", source.Description);
    WriteText(key, "Directory", source.Directory);
    WriteBool(key, "Read_Only", source.Read_Only);
    WriteBool(key, "AutoLoad", source.AutoLoad);
}

void TAppSettings::ReadSettings(TScreenSize screen) {
    ResetPending = false;
    ProgramDir = clipstore::TDirFiles::WithSlash(dirs_.ProgramDir());

    Reader reader(*this);
    VisitPreferences(reader);
    VisitHotKeys(reader);
    VisitFonts(reader);
    VisitPosition(reader);
    VisitPrinting(reader);
    VisitExport(reader);
    VisitStats(reader);
    CorrectPositions(screen);

    noCtrlVList_ = registry_.ValueNames(KeyPath(NoCtrlVKey));
    ReadTerminalPrograms();

    DefaultDataDir = ComputeDefaultDataDir(dirs_, ProgramDir);

    bool wrote = false;
    const clipstore::TDataSource myClips(1, MyClips, DefaultDataDir, false, true);
    if (ReadBool(DataSourcesKey, "UseWindowsDefaultDataPath", false)) {
        WriteDataSource(MyClips, myClips);
        WriteBool(DataSourcesKey, "UseWindowsDefaultDataPath", false);
        wrote = true;
    }

    std::vector<std::string> names = registry_.ValueNames(KeyPath(DirsKey));
    while (names.empty()) {
        // The program cannot run without a data source: ask until the user chooses a folder.
        std::string folder = DefaultDataDir;
        if (UseDefaultDataDirWithoutAsking ||
            folderDialog_.ChooseDataFolder(folder) == platform::IDataFolderDialog::Confirmed) {
            if (folder.empty())
                continue;
            WriteDataSource(MyClips, clipstore::TDataSource(1, MyClips, folder, false, true));
            wrote = true;
            names = registry_.ValueNames(KeyPath(DirsKey));
        }
    }

    // "My Clips" comes first whenever it exists.
    for (std::size_t i = 1; i < names.size(); ++i)
        if (names[i] == MyClips) {
            std::swap(names[0], names[i]);
            break;
        }

    dataSourceList_.Clear();
    for (const std::string& name : names) {
        const std::string key = std::string(DataSourcesKey) + "\\" + name;
        const int number = ReadInteger(DataSourcesKey, name, 1);
        auto source = std::make_unique<clipstore::TDataSource>(
            number, CutShort(ReadText(key, "Description", "")), ReadText(key, "Directory", ""),
            ReadBool(key, "Read_Only", false), ReadBool(key, "AutoLoad", true));
        dataSourceList_.NoteNumber(number);
        dataSourceList_.Add(name, std::move(source));
    }

    if (UseDefaultDataDirWithoutAsking && !HasUsableDataSource()) {
        // None of the configured data sources can be used (switched off, read-only, a relative or
        // damaged directory): the default folder comes first, beside them, so that the program starts
        // without asking.
        const std::string name = FreeDataSourceName();
        const int number = dataSourceList_.NextDataSourceNumber;
        auto source = std::make_unique<clipstore::TDataSource>(number, name, DefaultDataDir, false, true);
        WriteDataSource(name, *source);
        WriteInteger(DataSourcesKey, name, number);
        dataSourceList_.NoteNumber(number);
        const std::size_t added = dataSourceList_.Add(name, std::move(source));
        for (std::size_t i = added; i > 0; --i)
            dataSourceList_.Exchange(i, i - 1);
        wrote = true;
    }

    const clipstore::TDataSource* first = dataSourceList_.Source(0);
    NeedDefaultCollections = first == nullptr || CountSubDirectories(first->Directory) == 0;

    if (wrote)
        registry_.Flush();
}

bool TAppSettings::HasUsableDataSource() const {
    for (std::size_t i = 0; i < dataSourceList_.Count(); ++i)
        if (const clipstore::TDataSource* source = dataSourceList_.Source(i);
            source != nullptr && source->AutoLoad && !source->Read_Only &&
            clipstore::TMasterList::IsSafeDataSourceDirectory(source->Directory))
            return true;
    return false;
}

std::string TAppSettings::FreeDataSourceName() const {
    std::string name = MyClips;
    for (int n = 2; dataSourceList_.IndexOf(name) >= 0; ++n)
        name = std::string(MyClips) + " " + std::to_string(n);
    return name;
}

bool TAppSettings::WriteSettings() {
    if (ResetPending)
        return true;
    if (Log != nullptr)
        LogLevel = Log->LevelMask;

    Writer writer(*this);
    VisitPreferences(writer);
    VisitHotKeys(writer);
    VisitFonts(writer);
    VisitPrinting(writer);
    VisitPosition(writer);
    VisitExport(writer);
    VisitStats(writer);

    registry_.DeleteKey(KeyPath(NoCtrlVKey));
    for (const std::string& fragment : noCtrlVList_)
        WriteText(NoCtrlVKey, fragment, "1");
    WriteTerminalPrograms();

    registry_.DeleteKey(KeyPath(DataSourcesKey));
    for (const auto& entry : dataSourceList_.Entries()) {
        if (entry.Source != nullptr)
            WriteDataSource(entry.Name, *entry.Source);
        else
            WriteText(DirsKey, entry.Name, "1");
    }
    return registry_.Flush();
}

void TAppSettings::ResetAllSettings() {
    ResetPending = true;
    registry_.DeleteKey(RootKey);
    registry_.Flush();
    boxes_.MessageBox(std::string("All settings will be reset to defaults the next time \n") + "Brindlex" +
                          " is started.  Please restart " + "Brindlex" + " now.",
                      Caption, MsgType::Information, MsgButtons::Ok);
}

void TAppSettings::ResetPositions() {
    ResetPending = true;
    registry_.DeleteKey(KeyPath("Position"));
    registry_.DeleteKey(KeyPath("lvClips"));
    registry_.DeleteKey(KeyPath("lvFP"));
    registry_.Flush();
    boxes_.MessageBox(std::string("Size/Position settings will be reset to defaults the next time \n") + "Brindlex" +
                          " is started.  Please restart " + "Brindlex" + " now.",
                      Caption, MsgType::Information, MsgButtons::Ok);
}

void TAppSettings::ClearApplicationProfile() {
    registry_.DeleteKey(KeyPath("Application Profile"));
    registry_.Flush();
    boxes_.MessageBox("Application Profile Has Been Cleared.", Caption, MsgType::Information, MsgButtons::Ok);
}

bool TAppSettings::ConfirmResetAtStartup() {
    const MsgResult answer = boxes_.MessageBox(
        "Brindlex detected that you have the SHIFT and CTRL keys pressed down, which signals Brindlex that you want "
        "to clear all settings.  \nAre you sure you want to do this?",
        Caption, MsgType::Confirmation, MsgButtons::YesNo);
    if (answer != MsgResult::Yes)
        return false;
    ResetAllSettings();
    return true;
}

} // namespace bx::shell
