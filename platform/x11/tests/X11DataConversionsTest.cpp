// Byte conversions between X11 targets and clipboard formats.
#include "X11DataConversions.h"

#include <gtest/gtest.h>

using bx::platform::x11::X11DataConversions;

namespace {

TEST(X11DataConversionsTest, HtmlEnvelopeGivesBackTheExactBytesAndTheAddress) {
    const std::string html("<b>caf\xC3\xA9</b>\r\n\0tail", 20);
    for (const std::string& url : {std::string(), std::string("https://example.org/a?b=c")}) {
        const std::string envelope = X11DataConversions::WrapHtml(html, url);
        EXPECT_EQ(envelope.substr(0, 12), "Version:0.9\r");
        const auto back = X11DataConversions::UnwrapHtml(envelope);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->html, html);
        EXPECT_EQ(back->sourceUrl, url);
    }
    EXPECT_FALSE(X11DataConversions::UnwrapHtml("Version:0.9\r\nStartHTML:0000000050\r\nEndHTML:0000099999\r\n"));
    EXPECT_FALSE(X11DataConversions::UnwrapHtml("no header"));
}

TEST(X11DataConversionsTest, TextTargetsAreDecodedByTheirType) {
    struct Case {
        const char* target;
        const char* type;
        std::string bytes;
        std::optional<std::string> text;
    };
    const Case cases[] = {
        {"UTF8_STRING", "UTF8_STRING", "a\xFF\xFE", "a\xFF\xFE"}, // kept as the owner gave it
        {"STRING", "STRING", "caf\xE9", "caf\xC3\xA9"},           // Latin-1
        {"STRING", "STRING", "caf\xC3\xA9", "caf\xC3\xA9"},       // UTF-8 put into STRING
        {"TEXT", "UTF8_STRING", "\xE2\x82\xAC", "\xE2\x82\xAC"},  {"TEXT", "COMPOUND_TEXT", "\x1b-A\xE9", std::nullopt},
        {"text/plain", "text/plain", std::string("x\0", 2), "x"},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> terminated = c.text ? std::optional(*c.text + '\0') : std::nullopt;
        EXPECT_EQ(X11DataConversions::TextFromTarget(c.target, c.type, std::string(c.bytes)), terminated)
            << c.target << " " << c.bytes;
    }
}

TEST(X11DataConversionsTest, FileListsGoBothWaysAndOnlyLocalFileUrisAreFiles) {
    EXPECT_EQ(X11DataConversions::PathFromFileUri("file:///tmp/a%20b/%C3%A9.txt"), "/tmp/a b/\xC3\xA9.txt");
    EXPECT_EQ(X11DataConversions::PathFromFileUri("file://localhost/x"), "/x");
    EXPECT_FALSE(X11DataConversions::PathFromFileUri("file://otherhost/x"));
    EXPECT_FALSE(X11DataConversions::PathFromFileUri("https://example.org/"));
    EXPECT_FALSE(X11DataConversions::PathFromFileUri("file:///a%00b"));
    const std::vector<std::string> paths{"/tmp/a b", "/home/\xC3\xA9/"};
    const std::string block = X11DataConversions::DropFiles(paths);
    EXPECT_EQ(X11DataConversions::PathsFromDropFiles(block), paths);
    EXPECT_EQ(X11DataConversions::FileUriFromPath("/tmp/a b"), "file:///tmp/a%20b");
    // Truncated or lying blocks give what can be read safely.
    EXPECT_TRUE(X11DataConversions::PathsFromDropFiles(block.substr(0, 19)).empty());
    std::string bad = block;
    bad[0] = '\x7F';
    bad[1] = '\x7F';
    EXPECT_TRUE(X11DataConversions::PathsFromDropFiles(bad).empty());
    EXPECT_EQ(X11DataConversions::UriListLines("# comment\r\nfile:///a\r\n\r\nhttp://b\n"),
              (std::vector<std::string>{"file:///a", "http://b"}));
}

TEST(X11DataConversionsTest, BitmapsBecomePackedDibsAndGoBackAsBmpAndPng) {
    // A 2 x 1 24-bit DIB.
    std::string dib(40, '\0');
    dib[0] = 40;
    dib[4] = 2;
    dib[8] = 1;
    dib[12] = 1;
    dib[14] = 24;
    dib += std::string("\x00\x00\xFF\xFF\x00\x00\x00\x00", 8);
    const auto bmp = X11DataConversions::BmpFromDib(dib);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->substr(0, 2), "BM");
    EXPECT_EQ(X11DataConversions::DibFromImage(*bmp, true), dib);
    const auto png = X11DataConversions::PngFromDib(dib);
    ASSERT_TRUE(png);
    const auto fromPng = X11DataConversions::DibFromImage(*png, false);
    ASSERT_TRUE(fromPng);
    const auto again = X11DataConversions::PngFromDib(*fromPng);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *png);
    EXPECT_FALSE(X11DataConversions::DibFromImage("BM short", true));
    EXPECT_FALSE(X11DataConversions::DibFromImage("not an image", false));
    EXPECT_FALSE(X11DataConversions::BmpFromDib(dib.substr(0, 30)));
}

} // namespace
