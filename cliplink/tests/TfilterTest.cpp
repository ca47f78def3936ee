// The application profile: learning new applications and formats, switching them, the dialog's data.
#include "Tfilter.h"
#include "SimApp.h"
#include "SimDesktop.h"
#include "TFilterEditor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace bx::cliplink;
using namespace bx::platform;
using namespace bx::platform::sim;

namespace {

class TfilterTest : public ::testing::Test {
protected:
    SimDesktop desk;
    SimApp editor{desk, "/usr/bin/gedit", "notes - gedit"};
    Tfilter filter{desk, true};

    std::optional<std::string> Stored(const std::string& app, const std::string& name) {
        return desk.Registry().ReadValue(filter.AppKey(app), name);
    }
    std::optional<std::string> Switch(const std::string& app) {
        return desk.Registry().ReadValue(filter.ProfileKey() + "\\_FILTERS", app);
    }
    // Which of the offered names the profile keeps, asked in order as a capture does.
    std::vector<std::string> Kept(const std::string& app, const std::vector<std::string>& names) {
        std::vector<std::string> kept;
        for (const std::string& n : names)
            if (filter.IsCoffee(app, n))
                kept.push_back(n);
        return kept;
    }
};

TEST_F(TfilterTest, CreationMarksTheProfile) {
    EXPECT_EQ(desk.Registry().ReadValue("Software\\Quorvanti\\Brindlex5\\Application Profile", "(Default)"), "5111152");
}

TEST_F(TfilterTest, FirstTextFromANewApplicationKeepsTextAndRichText) {
    const UINT rtf = editor.RegisterFormat("Rich Text Format");
    editor.Copy({{CF_TEXT, {'a', 0}},
                 {CF_UNICODETEXT, {'a', 0, 0, 0}},
                 {CF_LOCALE, {9, 4, 0, 0}},
                 {CF_OEMTEXT, {'a', 0}},
                 {rtf, {'{', 0}}});
    EXPECT_EQ(Kept("GEDIT", {"TEXT", "UNICODTEXT", "LOCALE", "OEMTEXT", "Rich Text Format"}),
              (std::vector<std::string>{"TEXT", "Rich Text Format"}));
    EXPECT_EQ(Switch("GEDIT"), "1");
    EXPECT_EQ(Stored("GEDIT", "TEXT"), "1");
    EXPECT_EQ(Stored("GEDIT", "UNICODTEXT"), "0");
    EXPECT_EQ(Stored("GEDIT", "LOCALE"), "0");
    EXPECT_EQ(Stored("GEDIT", "Rich Text Format"), "1");
    EXPECT_FALSE(Stored("GEDIT", "OEMTEXT").has_value()) << "fixed exclusions are never stored";
    EXPECT_EQ(Kept("GEDIT", {"TEXT", "UNICODTEXT", "LOCALE"}), std::vector<std::string>{"TEXT"}) << "remembered";
}

TEST_F(TfilterTest, FirstBitmapFromANewApplicationKeepsTheBitmapOnly) {
    editor.Copy({{CF_BITMAP, {1}}, {CF_DIB, {1}}});
    EXPECT_EQ(Kept("GIMP", {"BITMAP", "DIB"}), std::vector<std::string>{"BITMAP"});
    EXPECT_EQ(Stored("GIMP", "DIB"), "0");
    editor.Copy({{CF_DIB, {1}}});
    EXPECT_EQ(Kept("KOLOURPAINT", {"DIB"}), std::vector<std::string>{"DIB"});
}

TEST_F(TfilterTest, AnApplicationWithoutKnownFormatsIsSwitchedOnButThisCaptureTakesNothing) {
    const UINT custom = editor.RegisterFormat("application/x-private");
    editor.Copy({{custom, {1}}});
    EXPECT_TRUE(Kept("TOOL", {"application/x-private"}).empty());
    EXPECT_EQ(Switch("TOOL"), "1");
    editor.CopyText("now text");
    EXPECT_EQ(Kept("TOOL", {"TEXT"}), std::vector<std::string>{"TEXT"});
}

TEST_F(TfilterTest, StoredAnswersDecide) {
    editor.CopyText("x");
    desk.Registry().WriteValue(filter.ProfileKey() + "\\_FILTERS", "OFFAPP", "0");
    desk.Registry().WriteValue(filter.ProfileKey() + "\\_FILTERS", "ONAPP", "1");
    desk.Registry().WriteValue(filter.AppKey("ONAPP"), "TEXT", "5");
    desk.Registry().WriteValue(filter.AppKey("ONAPP"), "HDROP", "1");
    desk.Registry().WriteValue(filter.AppKey("ONAPP"), "UNICODTEXT", "junk");
    EXPECT_TRUE(Kept("OFFAPP", {"TEXT", "Rich Text Format"}).empty());
    EXPECT_FALSE(filter.Accepting);
    EXPECT_EQ(Kept("ONAPP", {"TEXT", "HDROP", "UNICODTEXT"}), std::vector<std::string>{"HDROP"});
    EXPECT_EQ(Stored("ONAPP", "UNICODTEXT"), "0") << "an unreadable value counts as not yet seen";
    EXPECT_EQ(Kept("Brindlex", {"TEXT", "Rich Text Format", "HDROP"}), std::vector<std::string>{"TEXT"});
    EXPECT_TRUE(Kept("ONAPP", {"", "UNKNOWN", "UNKN_PUBLIC", "Brindlex Ping", "PALETTE"}).empty());
}

// What a program offers the first time: its pictures, files and HTML are kept, also from a program whose
// first copy was text (an image copied in a web browser after a text), and the first form of a picture
// is enough; private formats are not kept.
TEST_F(TfilterTest, PicturesFilesAndHtmlSeenTheFirstTimeAreKept) {
    const UINT html = editor.RegisterFormat("HTML Format");
    const UINT png = editor.RegisterFormat("image/png");
    struct Case {
        const char* what;
        std::vector<SimFormat> offer;
        std::vector<std::string> names;
        std::vector<std::string> kept;
    };
    const Case cases[] = {
        {"an image with its HTML",
         {{html, {1}}, {png, {1}}, {CF_BITMAP, {1}}},
         {"HTML Format", "image/png", "BITMAP"},
         {"HTML Format", "BITMAP"}},
        {"a picture in three forms",
         {{CF_BITMAP, {1}}, {CF_METAFILEPICT, {1}}, {CF_ENHMETAFILE, {1}}},
         {"BITMAP", "PICTURE", "ENHMETAFILE"},
         {"BITMAP", "PICTURE"}},
        {"an enhanced metafile alone", {{CF_ENHMETAFILE, {1}}}, {"ENHMETAFILE"}, {"ENHMETAFILE"}},
        {"files", {{CF_HDROP, {1}}}, {"HDROP"}, {"HDROP"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        desk.Registry().DeleteKey(filter.AppKey("WEBAPP"));
        editor.CopyText("first text");
        EXPECT_EQ(Kept("WEBAPP", {"TEXT"}), std::vector<std::string>{"TEXT"});
        editor.Copy(c.offer);
        EXPECT_EQ(Kept("WEBAPP", c.names), c.kept);
        EXPECT_EQ(Kept("WEBAPP", c.names), c.kept) << "remembered";
    }
    // A program whose first copy is files alone is switched on with them, and this copy keeps them.
    editor.Copy({{CF_HDROP, {1}}});
    EXPECT_EQ(Kept("ROX-FILER", {"HDROP"}), std::vector<std::string>{"HDROP"});
    desk.Registry().WriteValue(filter.ProfileKey() + "\\_FILTERS", "OLE", "1");
    EXPECT_FALSE(filter.IsCoffee("OLE", "Rich Text Format")) << "a name inside OLE32 keeps no rich text by default";
}

TEST_F(TfilterTest, QuickieFiltersOfKnownApplications) {
    editor.CopyText("x");
    for (const char* app : {"EXPLORER", "PCMANFM", "NAUTILUS", "CHROMIUM", "FIREFOX-ESR"}) {
        filter.MakeQuickieFilter(app);
        for (const char* f : {"TEXT", "HDROP", "Filename", "BITMAP", "HTML Format"})
            EXPECT_EQ(Stored(app, f), "1") << app << " " << f;
    }
    Tfilter noHtml{desk, false};
    noHtml.MakeQuickieFilter("IEXPLORE");
    EXPECT_EQ(Stored("IEXPLORE", "Rich Text Format"), "1");
    EXPECT_FALSE(Stored("IEXPLORE", "HTML Format").has_value());
    filter.MakeQuickieFilter("windows");
    EXPECT_FALSE(Stored("windows", "BITMAP").has_value()) << "known names compare with case";
}

TEST_F(TfilterTest, TheDialogListsAndSwitches) {
    editor.CopyText("x");
    Kept("GEDIT", {"TEXT", "UNICODTEXT", "OEMTEXT"});
    desk.Registry().WriteValue(filter.AppKey("GEDIT"), "COMMENT", "notes");
    desk.Registry().WriteValue(filter.ProfileKey() + "\\_FILTERS", "XTERM", "0");
    TFilterEditor dialog(desk.Registry(), filter);
    EXPECT_EQ(dialog.Owners(), (std::vector<TFilterEditor::Row>{{"GEDIT", true, 0}, {"XTERM", false, 0}}));
    EXPECT_EQ(dialog.Display("xterm"), 1);
    EXPECT_EQ(dialog.Display("UNKNOWN"), 0);
    EXPECT_EQ(dialog.Formats("GEDIT"), (std::vector<TFilterEditor::Row>{{"TEXT", true, 0}, {"UNICODTEXT", false, 5}}));
    EXPECT_EQ(dialog.SetOwner("XTERM", true), "Enabled Application: XTERM.");
    EXPECT_EQ(dialog.SetOwner("XTERM", true), "");
    EXPECT_EQ(dialog.SetFormat("GEDIT", "TEXT", false), "Disabled Format: TEXT for application: GEDIT.");
    EXPECT_FALSE(filter.IsCoffee("GEDIT", "TEXT"));
    const std::pair<const char*, int> images[] = {
        {"HTML Format", 7}, {"FileGroupDescriptorW", 6}, {"DIB", 2}, {"Object Descriptor", 4}, {"text", 5}};
    for (const auto& [name, image] : images)
        EXPECT_EQ(TFilterEditor::FormatImage(name), image) << name;
}

} // namespace
