#include "TChooseDataFolder.h"
#include "SimMessageBoxes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace bx::shell {
namespace {

using platform::MsgResult;

class ChooseDataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = (std::filesystem::temp_directory_path() / ("bx_choose_" + std::to_string(::getpid()))).string();
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    TChooseDataFolder Dialog(std::optional<std::string> picked) {
        return TChooseDataFolder(
            boxes, [picked](const std::string&) { return picked; }, "/home/u/.local/share/Brindlex/");
    }

    platform::sim::SimMessageBoxes boxes;
    std::string root;
};

TEST_F(ChooseDataFolderTest, TheDefaultNeedsOnlyConfirming) {
    auto dialog = Dialog(std::nullopt);
    EXPECT_EQ(dialog.Caption(), "Brindlex - Choose Data Storage Location");
    EXPECT_FALSE(dialog.OkEnabled());
    dialog.Ok();
    EXPECT_EQ(dialog.Result(), 2) << "OK does nothing before a choice";
    dialog.UseDefault();
    dialog.Ok();
    EXPECT_EQ(dialog.Result(), 1);
    EXPECT_EQ(dialog.Choice(), "/home/u/.local/share/Brindlex/");
}

TEST_F(ChooseDataFolderTest, AnOwnFolderIsCreatedWithDataAddedOnRequest) {
    struct Case {
        std::string picked;
        MsgResult answer;
        std::string choice;
    };
    const Case cases[] = {{root + "/clips", MsgResult::Yes, root + "/clips/data/"},
                          {root + "/mine", MsgResult::No, root + "/mine/"},
                          {root + "/mydata/", MsgResult::Yes, root + "/mydata/"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picked);
        boxes.Clear();
        boxes.Answer(MsgResult::Ok);
        boxes.Answer(c.answer);
        auto dialog = Dialog(c.picked);
        dialog.ChooseOwn();
        EXPECT_TRUE(dialog.OkEnabled());
        EXPECT_EQ(dialog.Choice(), c.choice);
        EXPECT_TRUE(std::filesystem::is_directory(c.choice));
    }
}

TEST_F(ChooseDataFolderTest, AFolderThatCannotBeMadeIsReported) {
    // A file where a folder of the path should be.
    std::fclose(std::fopen((root + "/file").c_str(), "w"));
    auto dialog = Dialog(root + "/file/data");
    dialog.ChooseOwn();
    EXPECT_FALSE(dialog.OkEnabled());
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].text,
              "Could not create directory - " + root + "/file/data\nCheck the path, permissions, etc., and try again.");
    // A cancelled picker changes nothing.
    auto cancelled = Dialog(std::nullopt);
    cancelled.ChooseOwn();
    EXPECT_FALSE(cancelled.OkEnabled());
}

} // namespace
} // namespace bx::shell
