// Help requests: where the manual is looked for, which address each help context opens (through the
// forwarding page, since the desktop's handler drops a file address's section), the status line, and what
// the user is told when the manual or its handler is missing.
#include "THelp.h"
#include "SimMessageBoxes.h"
#include "SimShell.h"
#include "SimUserDirs.h"
#include "THelpTopics.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace bx::shell {
namespace {

std::string Read(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The address a forwarding page sends the browser to.
std::string RefreshTarget(const std::string& page) {
    const std::string key = "content=\"0; url=";
    const std::size_t start = page.find(key);
    if (start == std::string::npos)
        return {};
    const std::size_t end = page.find('"', start + key.size());
    return page.substr(start + key.size(), end - start - key.size());
}

struct PlacesCase {
    const char* what;
    std::map<std::string, std::string> env;
    std::vector<std::string> manuals;
    std::string redirectDir;
};

void PrintTo(const PlacesCase& c, std::ostream* os) {
    *os << c.what;
}

class HelpPlacesTest : public ::testing::TestWithParam<PlacesCase> {};

TEST_P(HelpPlacesTest, BesideTheProgramThenTheDataDirs) {
    platform::sim::SimUserDirs dirs;
    dirs.Program = "/opt/bx/bin/";
    dirs.Home = "/home/u/";
    dirs.Environment = GetParam().env;
    const THelp::TPlaces places = THelp::Places(dirs);
    EXPECT_EQ(places.Manuals, GetParam().manuals);
    EXPECT_EQ(places.RedirectDir, GetParam().redirectDir);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HelpPlacesTest,
    ::testing::Values(
        PlacesCase{"nothing set: the standard data dirs and ~/.cache",
                   {},
                   {"/opt/bx/share/doc/brindlex/manual/index.html", "/usr/local/share/doc/brindlex/manual/index.html",
                    "/usr/share/doc/brindlex/manual/index.html"},
                   "/home/u/.cache/brindlex/"},
        PlacesCase{"data dirs in their order, relative ones and repeats left out; the runtime folder",
                   {{"XDG_DATA_DIRS", "/a/share:rel/share::/opt/bx/share/:/b"}, {"XDG_RUNTIME_DIR", "/run/user/7"}},
                   {"/opt/bx/share/doc/brindlex/manual/index.html", "/a/share/doc/brindlex/manual/index.html",
                    "/b/doc/brindlex/manual/index.html"},
                   "/run/user/7/brindlex/"},
        PlacesCase{"a relative runtime folder is not used; the cache folder is",
                   {{"XDG_RUNTIME_DIR", "run"}, {"XDG_CACHE_HOME", "/c/"}},
                   {"/opt/bx/share/doc/brindlex/manual/index.html", "/usr/local/share/doc/brindlex/manual/index.html",
                    "/usr/share/doc/brindlex/manual/index.html"},
                   "/c/brindlex/"}));

class HelpTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::path(::testing::TempDir()) / "bxhelpXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern + "/";
        // A folder name that an address and a page must both escape.
        manual = root + "my docs & \"notes\"/index.html";
        std::filesystem::create_directories(root + "my docs & \"notes\"");
        std::ofstream(manual) << "<html></html>";
        places.Manuals = {root + "missing/index.html", manual};
        places.RedirectDir = root + "run/brindlex/";
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    THelp Help() {
        return THelp(shell, boxes, places, [this](const std::string& text) { status.push_back(text); });
    }

    std::string root;
    std::string manual;
    THelp::TPlaces places;
    platform::sim::SimShell shell;
    platform::sim::SimMessageBoxes boxes;
    std::vector<std::string> status;
};

TEST_F(HelpTest, EachHelpContextOpensItsSectionThroughTheForwardingPage) {
    const std::string manualUrl = "file://" + root + "my%20docs%20%26%20%22notes%22/index.html";
    const std::string page = "file://" + places.RedirectDir + THelp::RedirectName;
    struct Case {
        int command;
        int data;
        std::string opened; // the section the browser ends at, empty for the manual's top
    };
    const Case cases[] = {
        {THelp::HelpContext, THelpTopics::TraditionalView, "traditional-view"},
        {THelp::HelpContext, THelpTopics::ExplorerView, "explorer-view"},
        {THelp::HelpContext, THelpTopics::Flashpick, "flashpick"},
        {THelp::HelpContextPopup, THelpTopics::FlashpickList, "flashpick-list"},
        {THelp::HelpContextPopup, THelpTopics::CaseButton, "editing"},
        {THelp::HelpContext, 4242, ""},                       // no topic of its own: the contents
        {THelp::HelpContents, THelpTopics::ExplorerView, ""}, // the contents, whatever the data
    };
    THelp help = Help();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        ASSERT_TRUE(help.ShowHelp(c.command, c.data));
        ASSERT_FALSE(shell.Requests().empty());
        const platform::sim::SimShell::Request& request = shell.Requests().back();
        EXPECT_EQ(request.verb, "open");
        EXPECT_EQ(request.parameters, "");
        if (c.opened.empty()) {
            EXPECT_EQ(request.target, manualUrl);
        } else {
            EXPECT_EQ(request.target, page);
            const std::string text = Read(places.RedirectDir + THelp::RedirectName);
            // The address is HTML-escaped in the page; it holds no character that needs it.
            EXPECT_EQ(RefreshTarget(text), manualUrl + "#" + c.opened) << text;
            EXPECT_NE(text.find("<a href=\"" + manualUrl + "#" + c.opened + "\">"), std::string::npos) << text;
        }
        EXPECT_EQ(status.back(),
                  "Help Invoked -  Command: [" + std::to_string(c.command) + "] Data:[" + std::to_string(c.data) + "]");
    }
    EXPECT_EQ(shell.Requests().size(), std::size(cases));
    EXPECT_TRUE(boxes.Boxes().empty());
    struct stat st {};
    ASSERT_EQ(stat(places.RedirectDir.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "the page lives in a private folder";
}

TEST_F(HelpTest, AMissingManualOrHandlerIsToldAndTheRequestStillShowsInTheStatusLine) {
    places.Manuals = {root + "missing/index.html", root + "gone/index.html"};
    EXPECT_FALSE(Help().ShowHelp(THelp::HelpContext, THelpTopics::ExplorerView));
    EXPECT_TRUE(shell.Requests().empty());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("cannot be found"), std::string::npos);
    EXPECT_NE(boxes.Boxes()[0].text.find(root + "gone/index.html"), std::string::npos) << "it says where it looked";
    EXPECT_EQ(status, std::vector<std::string>{"Help Invoked -  Command: [1] Data:[163]"});

    places.Manuals = {manual};
    shell.SetSucceeds(false);
    EXPECT_FALSE(Help().ShowHelp(THelp::HelpContext, THelpTopics::Flashpick));
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_NE(boxes.Boxes()[1].text.find("xdg-open"), std::string::npos);
    EXPECT_NE(boxes.Boxes()[1].text.find(manual), std::string::npos);
}

TEST_F(HelpTest, APageThatCannotBeWrittenIsToldAndNothingOpens) {
    std::ofstream(root + "file") << "x";
    places.RedirectDir = root + "file/brindlex/"; // below a file: no folder can be made
    EXPECT_FALSE(Help().ShowHelp(THelp::HelpContext, THelpTopics::TraditionalView));
    EXPECT_TRUE(shell.Requests().empty());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find(places.RedirectDir), std::string::npos);
}

TEST(HelpPageTest, TheAddressIsEscapedForTheRefreshAndTheLink) {
    EXPECT_EQ(THelp::FileUrl("/a b/é#?%.html", "x"), "file:///a%20b/%C3%A9%23%3F%25.html#x");
    const std::string page = THelp::RedirectPage("file:///x?a=1&b=\"2\"'<>");
    EXPECT_NE(page.find("url=file:///x?a=1&amp;b=&quot;2&quot;&#39;&lt;&gt;\""), std::string::npos) << page;
    EXPECT_EQ(page.find("b=\"2"), std::string::npos) << page;
}

TEST(HelpTopicsTest, EveryTopicHasItsSectionInTheManual) {
    const std::string manual = Read(std::string(BX_MANUAL_DIR) + "index.html");
    ASSERT_FALSE(manual.empty());
    EXPECT_NE(manual.find("id=\"contents\""), std::string::npos);
    for (const THelpTopics::TTopic& topic : THelpTopics::Table()) {
        SCOPED_TRACE(topic.Context);
        EXPECT_NE(manual.find("id=\"" + std::string(topic.Anchor) + "\""), std::string::npos) << topic.Anchor;
        EXPECT_EQ(THelpTopics::Anchor(topic.Context), topic.Anchor);
    }
}

} // namespace
} // namespace bx::shell
