// What the About box tells: gathered from the loaded data, worded for one and for many.
#include "CoreTestFixture.h"

#include "BrindlexVersion.h"
#include "TAboutInfo.h"

#include <algorithm>
#include <string>
#include <vector>

namespace bx::shell {
namespace {

using AboutInfoTest = coretest::CoreFixture;

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(AboutInfoTest, TheVersionTheDataFolderAndTheClipsHeldAreTold) {
    Start();
    CopyText(editor, "one");
    CopyText(editor, "two");
    settings->Edits = 1;
    const TAboutInfo info = TAboutInfo::Gather(core->MasterList(), sources, settings->Edits);
    EXPECT_EQ(info.Version, platform::BrindlexVersion);
    EXPECT_EQ(info.DataFolders, std::vector<std::string>{sources.Source(0)->Directory});
    EXPECT_EQ(info.Clips, 2u);
    EXPECT_EQ(info.Collections, core->MasterList()->Count());
    const std::vector<std::string> lines = info.Lines();
    EXPECT_EQ(lines.front(), std::string("Brindlex ") + platform::BrindlexVersion);
    EXPECT_TRUE(Has(lines, "Data folder:"));
    EXPECT_TRUE(Has(lines, "    " + sources.Source(0)->Directory));
    EXPECT_TRUE(Has(lines, "2 clips in " + std::to_string(info.Collections) + " collections; 1 edit of clip texts"));
    EXPECT_TRUE(Has(lines, std::string("Licence: ") + TAboutInfo::Licence + "."));
}

TEST_F(AboutInfoTest, BeforeTheDataIsLoadedNothingIsCounted) {
    const TAboutInfo info = TAboutInfo::Gather(nullptr, sources, 0);
    EXPECT_EQ(info.Clips, 0u);
    EXPECT_EQ(info.Collections, 0u);
    EXPECT_TRUE(Has(info.Lines(), "0 clips in 0 collections; 0 edits of clip texts"));
}

} // namespace
} // namespace bx::shell
