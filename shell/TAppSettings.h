#pragma once

#include "IDataFolderDialog.h"
#include "IMessageBoxes.h"
#include "IRegistry.h"
#include "IUserDirs.h"
#include "TDataSourceList.h"
#include "TFontDesc.h"

#include <string>
#include <string_view>
#include <vector>

namespace bx::shell {

class TAppLog;

// The size of the screen in pixels, against which stored window positions are corrected.
// A size of 0 means unknown: positions are then taken as stored.
struct TScreenSize {
    int Width = 0;
    int Height = 0;
};

// Every persistent user setting in typed fields, each named like its value in the settings store.
// Filled once at start by ReadSettings and written back once at the end by WriteSettings; in between
// the program reads and changes the fields in memory only. Also builds the data-source list and the
// list of window-title fragments that need the menu paste (NoCtrlVList).
//
// Store layout: under RootKey, the sub-keys Preferences, HotKeys, Fonts, Position, Printing, Export,
// Stats, Flashpick_NoCtrlV, Flashpick_Terminals and DataSources; every value is text (integers in
// decimal, booleans "0" and "1"); a missing value, or an integer that is not valid decimal text, reads as
// its default. The two lists are value names: every name of Flashpick_NoCtrlV is an entry; a name of
// Flashpick_Terminals is an entry unless its value is "0" (a default the user took off the list), and
// without that key the list is DefaultTerminalPrograms.
class TAppSettings {
public:
    static constexpr const char* DefaultRootKey = "Software\\Quorvanti\\Brindlex5";
    static constexpr const char* MyClips = "My Clips";
    // Longest text kept in the short text settings, in bytes.
    static constexpr std::size_t MaxShortText = 255;

    // The lists live as long as this object; none is owned.
    TAppSettings(platform::IRegistry& registry, const platform::IUserDirs& dirs, platform::IMessageBoxes& boxes,
                 platform::IDataFolderDialog& folderDialog, clipstore::TDataSourceList& dataSourceList,
                 std::vector<std::string>& noCtrlVList);

    // --- Not stored.
    std::string RootKey = DefaultRootKey;
    // The directory of the running program, ending in "/"; set by ReadSettings.
    std::string ProgramDir;
    // Set by the resets, cleared by ReadSettings; while set WriteSettings writes nothing.
    bool ResetPending = false;
    // The first data source's directory holds no sub-directory (or does not exist): the default
    // collections are to be made. Set by ReadSettings; cleared by whoever makes them.
    bool NeedDefaultCollections = false;
    // The suggested data directory; set by ReadSettings.
    std::string DefaultDataDir;
    // When no data source is configured, take DefaultDataDir for "My Clips" instead of asking.
    // For a first start without a display or dialog (a command-line option sets it).
    bool UseDefaultDataDirWithoutAsking = false;
    // The log whose level mask WriteSettings stores as LogLevel; without one, the LogLevel field.
    const TAppLog* Log = nullptr;

    // --- Preferences.
    int GreyX;
    int Visibility;
    bool ShowBinary;
    bool ShowNOCRLF;
    bool ShowSearch;
    bool UseSysTray;
    bool UseCollTitle;
    bool RunMinimized;
    int MenuStyle;
    bool BeepOnGlue;
    bool BeepOnUpdate;
    bool BeepOnErase;
    bool BeepOnIgnore;
    bool BeepOnRFComplete;
    bool UseSounds;
    bool UseIEBrowser;
    std::string LastColl;
    std::string FPAlternateColl;
    bool ShowFPAlternates;
    bool FPStickyButtons;
    bool FPTabButtonDown;
    bool FPEnterButtonDown;
    bool AutoShrink;
    bool InstalledAlready;
    bool ShowHint;
    int HintHidePause;
    // The log's level mask as read; the log takes it when it is made.
    int LogLevel;
    bool AutoCaptureInitialClip1;
    bool AutoSave;
    int AutoSaveInterval;
    bool ShowItemTypeIcon;
    // Read, never written back.
    int AfterLoadDuration;
    int RelayfeedDelay;
    bool UseIgnoreFormat;
    bool ConfirmDeleteFromSafe;
    int PhantomDelay;
    int VER_ID;
    bool WrapText;
    int MoveOrCopy;
    int FindScope;
    bool ContinuallyPing;
    int PingInterval;
    int PingTolerance;
    int DelayOnClipboardUpdate;
    int DelayAfterCopy;
    int SettleTime;
    std::string GlueSeparator;
    bool GlueOmitExistingCRLF;
    bool ShowTypeIcons;
    int ThumbNailSize;
    int ThumbNailCacheSize;

    // The programs (file names without directory, compared without case) of terminal emulators, which
    // paste on Ctrl+Shift+V: the paste into the target sends them that instead of Ctrl+V.
    std::vector<std::string> TerminalPrograms;

    // --- HotKeys: shortcut texts ("Ctrl+Alt+C"); empty when not set.
    std::string HKActivate;
    std::string HKSelectNext;
    std::string HKSelectPrev;
    std::string HKFlashpick;

    // --- Fonts (values <Font>Name, <Font>Size and, where kept, <Font>Charset; the preview font's
    // values begin with Mag).
    TFontDesc ThumbNailFont;
    TFontDesc OverrideFont;
    TFontDesc MagFont;
    TFontDesc ClipListFont;

    // --- Position.
    int Left1;
    int Top1;
    int Width1;
    int Height1;
    int Height1_Dropdown;
    int Left2;
    int Top2;
    int Width2;
    int Height2;
    int split1;
    int split2;
    int split2a;
    bool ShowCaption;
    bool ShowMainMenu;
    bool StickyDropDown;
    bool FPLock;
    int LastView;
    int CurrentSnap;
    int MoveCopyMode;
    bool Toolbar1Showing;
    bool Toolbar2Showing;
    bool Toolbar3Showing;

    // --- Printing.
    TFontDesc PrintFont;
    bool PrintPassThru;
    bool QuickPrint;
    bool PrintDetails;
    bool PrintFooter;
    bool MultiPrint;
    int PrintBitmapScaleFactor;
    // Inches.
    double PrintMarginLeft;
    double PrintMarginRight;
    double PrintMarginTop;
    double PrintMarginBottom;
    std::string LastPrinter;
    std::string LastOrientation;
    int BMPPrintColorDepth;

    // --- Export.
    // Ends in "/".
    std::string ExportDir;
    int FileNameConvention;
    bool CopyNamesToClipboard;
    bool SaveBmpAsJpg;
    int JpgQuality;
    bool EraseDirContents;
    bool OpenFolder;
    bool ResetSequence;
    int Sequence;

    // --- Stats.
    int Captured;
    int CopiedBack;
    int Printed;
    int Edits;
    int Exported;

    // Fills every field from the store, corrects the window positions against the screen, builds
    // NoCtrlVList and the data-source list (asking for a data folder while there is none) and sets
    // NeedDefaultCollections.
    void ReadSettings(TScreenSize screen);
    // Writes every field back and rewrites the NoCtrlVList and data-source keys; nothing while
    // ResetPending is set. False when the store could not be made durable.
    bool WriteSettings();
    // Forget every setting (the whole root key) at the next start; until then nothing is saved.
    void ResetAllSettings();
    // Forget the window sizes and positions and the list columns at the next start; until then
    // nothing is saved.
    void ResetPositions();
    void ClearApplicationProfile();
    // At start with Ctrl and Shift held down: asks whether to clear all settings and does so on Yes.
    bool ConfirmResetAtStartup();

    static const std::vector<std::string>& DefaultTerminalPrograms();

    // The decimal value of a margin text ("+1", "0.5"); 1.0 when the text is not a number.
    static double ReadMargin(std::string_view text);
    // The suggested data directory: the user's data folder ($XDG_DATA_HOME, else ~/.local/share/),
    // else the documents folder, each followed by "Quorvanti Development/Brindlex5/"; else
    // programDir followed by "data/".
    static std::string ComputeDefaultDataDir(const platform::IUserDirs& dirs, const std::string& programDir);

    // One value under RootKey\subKey, with its default when missing or not valid.
    int ReadInteger(std::string_view subKey, std::string_view name, int defaultValue) const;
    bool ReadBool(std::string_view subKey, std::string_view name, bool defaultValue) const;
    std::string ReadText(std::string_view subKey, std::string_view name, std::string_view defaultValue) const;
    void WriteInteger(std::string_view subKey, std::string_view name, int value);
    void WriteBool(std::string_view subKey, std::string_view name, bool value);
    void WriteText(std::string_view subKey, std::string_view name, std::string_view value);

private:
    class Defaults;
    class Reader;
    class Writer;

    template <class V> void VisitPreferences(V& v);
    template <class V> void VisitHotKeys(V& v);
    template <class V> void VisitFonts(V& v);
    template <class V> void VisitPosition(V& v);
    template <class V> void VisitPrinting(V& v);
    template <class V> void VisitExport(V& v);
    template <class V> void VisitStats(V& v);

    void ApplyDefaults();
    void ReadTerminalPrograms();
    void WriteTerminalPrograms();
    void CorrectPositions(TScreenSize screen);
    void WriteDataSource(const std::string& name, const clipstore::TDataSource& source);
    // A data source of the list can be loaded and written.
    bool HasUsableDataSource() const;
    // "My Clips", or "My Clips 2", ... when that name is taken.
    std::string FreeDataSourceName() const;
    std::string KeyPath(std::string_view subKey) const;
    std::string DefaultExportDir() const;

    platform::IRegistry& registry_;
    const platform::IUserDirs& dirs_;

public:
    // The user's folders the settings were read with.
    const platform::IUserDirs& Dirs() const { return dirs_; }
    // The data sources the settings name.
    const clipstore::TDataSourceList& DataSources() const { return dataSourceList_; }
    platform::IMessageBoxes& boxes_;
    platform::IDataFolderDialog& folderDialog_;
    clipstore::TDataSourceList& dataSourceList_;
    std::vector<std::string>& noCtrlVList_;
};

} // namespace bx::shell
