// The text page of the preview pane: what it shows of large texts and of texts of older collections,
// how an edit goes back into the clip, and that a window nobody sees loads no preview.
#include "CoreTestFixture.h"
#include "ExplorerWindowFixture.h"

#include "TTextPreview.h"
#include "TfrmBX.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace bx::explorer {
namespace {

using namespace shell::coretest;
using clipstore::TClipObj;
using platform::CF_TEXT;

TEST(TextPreviewTest, TextsAreShownWholeOrInPartAndEditsGoBackInTheirOwnEncoding) {
    struct Case {
        const char* what;
        std::string bytes;
        bool whole;
        bool windows1252;
        std::size_t shownChars;
    };
    const std::string longLine(TTextPreview::MaxLineChars * 3, 'x');
    const std::string words = [] {
        std::string s;
        while (s.size() < TTextPreview::MaxBytes * 2)
            s += "word \xC3\xA9t\xC3\xA9\n";
        return s;
    }();
    const Case cases[] = {
        {"utf-8", "caf\xC3\xA9", true, false, 4},
        {"windows-1252 of an older collection", "caf\xE9 \x80", true, true, 6},
        {"a line longer than the editor lays out", longLine, false, false, longLine.size() + 2},
        {"a text larger than the editor lays out", words, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TTextPreview::Shown shown = TTextPreview::Make(c.bytes);
        EXPECT_EQ(shown.whole, c.whole);
        EXPECT_EQ(shown.windows1252, c.windows1252);
        EXPECT_EQ(shown.bytes, c.bytes.size());
        EXPECT_EQ(TTextPreview::Notice(shown).isEmpty(), c.whole);
        if (c.shownChars != 0) {
            EXPECT_EQ(static_cast<std::size_t>(shown.text.size()), c.shownChars);
        }
        EXPECT_LE(shown.text.toUtf8().size(), TTextPreview::MaxBytes + TTextPreview::MaxBytes / 100);
        for (const QString& line : shown.text.split('\n'))
            EXPECT_LE(line.size(), TTextPreview::MaxLineChars);
    }
    EXPECT_EQ(TTextPreview::Make("caf\xE9 \x80").text, QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC"));
    // A cut never splits a character.
    std::string cut(TTextPreview::MaxBytes - 1, 'a');
    cut += "\xE2\x82\xAC and more";
    EXPECT_FALSE(TTextPreview::Make(cut).windows1252);

    EXPECT_EQ(TTextPreview::Store(QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC"), true), "caf\xE9 \x80");
    EXPECT_EQ(TTextPreview::Store(QString::fromUtf8("caf\xC3\xA9 \xD0\xB6"), true), "caf\xC3\xA9 \xD0\xB6")
        << "a character Windows-1252 lacks: the text becomes UTF-8 rather than lose it";
    EXPECT_EQ(TTextPreview::Store(QString::fromUtf8("caf\xC3\xA9"), false), "caf\xC3\xA9");
}

class TextPageTest : public test::ExplorerWindowFixture {
protected:
    void ReplaceText(const QString& text) {
        window->TextEditor()->setPlainText(text);
        window->TextEditor()->document()->setModified(true);
        window->RescueEditing();
    }
};

TEST_F(TextPageTest, AHugeOneLineTextIsShownInPartReadOnlyAndTheClipKeepsItWhole) {
    StartWindow();
    const std::string huge(3 * 1024 * 1024, 'h');
    CopyText(editor, huge);
    QApplication::processEvents();
    TClipObj* clip = core->CurrentClip();
    ASSERT_NE(clip, nullptr);
    EXPECT_TRUE(window->TextEditor()->isReadOnly());
    EXPECT_LE(window->TextEditor()->toPlainText().size(), static_cast<qsizetype>(TTextPreview::MaxBytes * 2));
    EXPECT_TRUE(window->TextNotice()->isVisibleTo(window.get()));
    EXPECT_TRUE(window->TextNotice()->text().contains("3.0 MB"));
    ReplaceText("cut short");
    EXPECT_EQ(ClipText(*clip), huge) << "a part is never written back";

    // The next, small clip is editable again.
    CopyText(editor, "small");
    QApplication::processEvents();
    EXPECT_FALSE(window->TextEditor()->isReadOnly());
    EXPECT_FALSE(window->TextNotice()->isVisibleTo(window.get()));
}

TEST_F(TextPageTest, AnEditOfAWindows1252TextIsStoredInWindows1252) {
    StartWindow();
    ASSERT_TRUE(editor.Copy({{CF_TEXT, {'c', 'a', 'f', 0xE9, 0}}}));
    Settle();
    QApplication::processEvents();
    TClipObj* clip = core->CurrentClip();
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(window->TextEditor()->toPlainText(), QString::fromUtf8("caf\xC3\xA9"));
    ReplaceText(QString::fromUtf8("caf\xC3\xA9 au lait"));
    EXPECT_EQ(ClipText(*clip), "caf\xE9 au lait");
    ReplaceText(QString::fromUtf8("caf\xC3\xA9 \xD0\xB6"));
    EXPECT_EQ(ClipText(*clip), "caf\xC3\xA9 \xD0\xB6");
}

TEST_F(TextPageTest, AWindowNobodySeesLoadsNoPreviewUntilItIsShownAgain) {
    StartWindow();
    CopyText(editor, "seen");
    QApplication::processEvents();
    EXPECT_EQ(window->TextEditor()->toPlainText(), "seen");
    window->showMinimized();
    QApplication::processEvents();
    CopyText(editor, "captured while minimized");
    QApplication::processEvents();
    EXPECT_EQ(window->TextEditor()->toPlainText(), "seen") << "nothing loaded for a minimized window";
    window->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(window->TextEditor()->toPlainText(), "captured while minimized");
}

} // namespace
} // namespace bx::explorer
