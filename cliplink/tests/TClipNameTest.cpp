// Format numbers to names and back.
#include "TClipName.h"
#include "SimDesktop.h"

#include <gtest/gtest.h>

using namespace bx::cliplink;
using namespace bx::platform;

namespace {

TEST(TClipNameTest, PredefinedNumbersTakeTheTableNameOrAGeneratedOne) {
    sim::SimDesktop desk;
    const TClipName names(desk.Clipboard());
    const std::pair<UINT, const char*> cases[] = {
        {1, "TEXT"},
        {13, "UNICODTEXT"},
        {128, "OWNERDISPLAY"},
        {15, "HDROP"},
        {142, "DSPENHMETAFILE"},
        {10, "UNKN_PUBLIC:10"},
        {0, "UNKN_PUBLIC:0"},
        {0xBFFF, "UNKN_PUBLIC:49151"},
    };
    for (const auto& [format, name] : cases)
        EXPECT_EQ(names.ConvertFormatNum(format), name) << format;
}

TEST(TClipNameTest, RegisteredNumbersTakeTheirWholeNameUpToWhatAClipFileHolds) {
    sim::SimDesktop desk;
    const TClipName names(desk.Clipboard());
    const UINT rtf = desk.Clipboard().RegisterClipboardFormat("Rich Text Format");
    EXPECT_EQ(names.ConvertFormatNum(rtf), "Rich Text Format");
    EXPECT_EQ(names.ConvertFormatNum(0xFEEE), "UNKNOWN") << "a number the desktop cannot name";
    const std::string longName(100, 'x');
    EXPECT_EQ(names.ConvertFormatNum(desk.Clipboard().RegisterClipboardFormat(longName)), longName);
    const std::string tooLong(300, 'y');
    EXPECT_EQ(names.ConvertFormatNum(desk.Clipboard().RegisterClipboardFormat(tooLong)), std::string(255, 'y'))
        << "what a clip file can hold";
}

TEST(TClipNameTest, NamesFindTheTableFirstAndRegisterTheRest) {
    sim::SimDesktop desk;
    const TClipName names(desk.Clipboard());
    EXPECT_EQ(names.ConvertFormatName("text"), 1u);
    EXPECT_EQ(names.ConvertFormatName("OwnerDisplay"), 128u);
    const UINT rtf = names.ConvertFormatName("Rich Text Format");
    EXPECT_GE(rtf, FirstRegisteredFormat);
    EXPECT_EQ(desk.Clipboard().RegisterClipboardFormat("RICH TEXT FORMAT"), rtf);
}

} // namespace
