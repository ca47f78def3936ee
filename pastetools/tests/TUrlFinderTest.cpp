// Finding the address at a caret and deciding what may go to the desktop's handler.
#include "TUrlFinder.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace bx::pastetools {
namespace {

struct NearCase {
    const char* text;
    std::size_t caret; // characters before the caret
    const char* url;   // "" : none found
};

TEST(TUrlFinderTest, FindsTheAddressAroundTheCaret) {
    const NearCase cases[] = {
        // The comma is an address character; the blank ends the address.
        {"see a.b/c, thanks", 9, "a.b/c,"},
        // Brackets are not.
        {"(a.b)", 4, "a.b"},
        // A word without a full stop, a single character, a caret between blanks.
        {"see nothing here", 7, ""},
        {"x . y", 3, ""},
        {"see  a.b", 4, ""},
        // Inside a line, with the caret in the middle of the address or just before it.
        {"go to www.example.org/x?q=1 now", 12, "www.example.org/x?q=1"},
        {"go to www.example.org now", 6, "www.example.org"},
        // At the start and the end of the text: the first and the last character belong to it.
        {"a.b/c is it", 0, "a.b/c"},
        {"a.b/c is it", 1, "a.b/c"},
        {"it is a.b/c", 11, "a.b/c"},
        {"a.b", 3, "a.b"},
        {"a.b", 99, "a.b"},
        // Only address characters, caret at the end.
        {"https://x.org/~u/%20", 20, "https://x.org/~u/%20"},
        // Non-ASCII around it: positions are characters, and such characters end the address.
        {"Grüße: wiki.de/straße ok", 14, "wiki.de/stra"},
        {"→x.y←", 3, "x.y"},
        {"日本 a.jp", 7, "a.jp"},
        {"", 0, ""},
    };
    for (const NearCase& c : cases)
        EXPECT_EQ(TUrlFinder::Near(c.text, c.caret), c.url) << c.text << " @" << c.caret;
}

TEST(TUrlFinderTest, FullStopsArePositionsOfCharacters) {
    EXPECT_EQ(TUrlFinder::AfterFullStops("ü.a.b"), (std::vector<std::size_t>{2, 4}));
    EXPECT_TRUE(TUrlFinder::AfterFullStops("none").empty());
}

struct LaunchCase {
    const char* text;
    const char* target; // "" : refused
};

TEST(TUrlFinderTest, HandsOnOnlyWhatTheDesktopOpens) {
    const std::set<std::string> existing = {"/home/u/notes.txt", "/tmp/a b"};
    const auto exists = [&existing](const std::string& path) { return existing.contains(path); };
    const LaunchCase cases[] = {
        {"http://x.org/a", "http://x.org/a"},
        {"HTTPS://x.org", "HTTPS://x.org"},
        {"ftp://ftp.x.org/pub", "ftp://ftp.x.org/pub"},
        {"mailto:bob@x.org", "mailto:bob@x.org"},
        {"file:///home/u/notes.txt", "file:///home/u/notes.txt"},
        {"  https://x.org/\r\n", "https://x.org/"},
        {"http://", ""},
        {"mailto:", ""},
        {"javascript:alert(1)", ""},
        {"smb://server/share", ""},
        {"x-scheme:do.this", ""},
        {"C:\\Windows\\x.exe", ""},
        {"https://x.org/\nrm", ""},
        // Paths: those that exist only.
        {"/home/u/notes.txt", "/home/u/notes.txt"},
        {"/tmp/a b", "/tmp/a b"},
        {"~/notes.txt", "/home/u/notes.txt"},
        {"/home/u/missing.txt", ""},
        {"~/missing.txt", ""},
        // A host without a scheme opens as https.
        {"www.example.org/x", "https://www.example.org/x"},
        {"a.b/c,", "https://a.b/c,"},
        {"a.b:8080/x", "https://a.b:8080/x"},
        {"example.org", "https://example.org"},
        {"1.5", ""},
        {"e.g.", ""},
        {"-a.b", ""},
        {"a..b", ""},
        {"a.b:http", ""},
        {"notes.txt:", ""},
        {"", ""},
    };
    for (const LaunchCase& c : cases)
        EXPECT_EQ(TUrlFinder::Launchable(c.text, exists, "/home/u/"), c.target) << c.text;
}

TEST(TUrlFinderTest, UrlCharactersAreThePrintableOnesLessTheListed) {
    std::string url;
    for (char32_t c = 0; c < 0x80; ++c)
        if (TUrlFinder::IsUrlChar(c))
            url += static_cast<char>(c);
    EXPECT_EQ(url, "#%&+,-./0123456789:=?@ABCDEFGHIJKLMNOPQRSTUVWXYZ\\_abcdefghijklmnopqrstuvwxyz~");
    EXPECT_FALSE(TUrlFinder::IsUrlChar(U'é'));
}

} // namespace
} // namespace bx::pastetools
