// Directory names from collection titles, and copying a collection's files for the import.
#include "TCollectionDirName.h"
#include "CollTestFixture.h"
#include "TCollectionImport.h"
#include "TUtf8.h"

namespace bx::clipstore::colltest {
namespace {

namespace fs = std::filesystem;

TEST(CollectionDirNameTest, TitlesBecomeOneSafeComponent) {
    const std::string twoByte = "\xC3\xA9";
    std::string longTitle;
    while (longTitle.size() < 300)
        longTitle += twoByte;
    struct Case {
        std::string title;
        std::string name;
    };
    const Case cases[] = {
        {"Notes/2024.1", "Notes_2024_1"},
        {"Notes:2024.1", "Notes_2024_1"},
        {"Work.", "Work_"},
        {"a\\b*c?d!e@f#g$h%i^j&k\"l<m>n|o[p]q(r)s", "a_b_c_d_e_f_g_h_i_j_k_l_m_n_o_p_q_r_s"},
        {"../x", "___x"},
        {"a/../../b", "a_______b"},
        {".hidden", "_hidden"},
        {"tab\there\x7F", "tab_here_"},
        {"", "_"},
        {"Caf\xC3\xA9 ok", "Caf\xC3\xA9 ok"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TCollectionDirName::FromTitle(c.title), c.name) << c.title;
    const std::string cut = TCollectionDirName::FromTitle(longTitle);
    EXPECT_EQ(cut.size(), 254u); // 127 whole characters; the 128th would pass 255 bytes
    EXPECT_TRUE(TUtf8::IsValid(cut));
}

TEST(CollectionDirNameTest, ClashesCountUpTheLastCharacter) {
    struct Case {
        std::string name;
        std::string next;
    };
    const Case cases[] = {
        {"Notes_2024_1", "Notes_2024_2"},
        {"WORK", "WORL"},   // up to "Z" the character counts up
        {"work", "work1"},  // a lower-case letter gets a 1
        {"Item9", "Item;"}, // ":" is passed over
        {"ItemZ", "Item_"}, // so are "[", "\" and "]"
        {"Note_", "Note_1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TCollectionDirName::Next(c.name), c.next) << c.name;
    const std::string full(255, 'a');
    EXPECT_EQ(TCollectionDirName::Next(full), std::string(254, 'a') + "1");
    const auto taken = [](const std::string& name) { return name != "A3"; };
    EXPECT_EQ(TCollectionDirName::Unique("A0", taken), "A3");
    EXPECT_FALSE(TCollectionDirName::Unique("A0", [](const std::string&) { return true; }));
}

class CollectionImportCopyTest : public CollFixture {};

TEST_F(CollectionImportCopyTest, AFileThatCannotBeCopiedIsSkippedAndLogged) {
    const std::string from = root + "old/";
    const std::string to = root + "new/";
    fs::create_directories(from);
    PutFile(from + "_COLL.BX4", Bytes{1, 2, 3});
    PutFile(from + "D1.DAT", Bytes(200000, 7));
    fs::create_directory_symlink(root, from + "loop");
    fs::create_directories(to + "D1.DAT"); // a directory in the way of one file
    EXPECT_EQ(TCollectionImport::CopyFiles(from, to), 1);
    EXPECT_EQ(FileBytes(to + "_COLL.BX4"), (Bytes{1, 2, 3}));
    std::vector<std::string> entries;
    for (const auto& entry : fs::directory_iterator(to))
        entries.push_back(entry.path().filename().string());
    std::sort(entries.begin(), entries.end());
    // No temporary file stays behind, and the link was not copied.
    EXPECT_EQ(entries, (std::vector<std::string>{"D1.DAT", "_COLL.BX4"}));
    EXPECT_EQ(log.Count("IMPORT COPY FAILED", from), 1);
}

} // namespace
} // namespace bx::clipstore::colltest
