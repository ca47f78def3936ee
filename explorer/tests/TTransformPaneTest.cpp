// The transformations in the explorer window: the pane's selection in a text with CR LF line breaks, the
// result shown and selected as one step the editor's undo takes back, and the commands' places.
#include "ExplorerWindowFixture.h"

#include "TClipObj.h"
#include "THelpTopics.h"
#include "TTransformCommands.h"
#include "TWindowCommands.h"
#include "TWindowHelp.h"
#include "TfrmBX.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

namespace bx::explorer {
namespace {

using clipstore::TClipObj;
using pastetools::TTransformCommands;
using pastetools::TXFormKind;

class TransformPaneTest : public test::ExplorerWindowFixture {
protected:
    void Select(int from, int to) {
        QTextCursor cursor = window->TextEditor()->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        window->TextEditor()->setTextCursor(cursor);
    }
    QString SelectedText() const { return window->TextEditor()->textCursor().selectedText(); }
};

TEST_F(TransformPaneTest, TheSelectionOfATextWithCrLfIsTransformedAndSelectedAgain) {
    StartWindow();
    CopyText(editor, "ab\r\ncd\r\n\xC3\xA9"
                     "f");
    QApplication::processEvents();
    TClipObj* clip = core->CurrentClip();
    ASSERT_NE(clip, nullptr);
    ASSERT_EQ(window->TextEditor()->toPlainText(), QString::fromUtf8("ab\ncd\n\xC3\xA9"
                                                                     "f"));
    // "d" CR LF "é": the editor counts the line break as one position.
    Select(4, 7);
    window->Transforms()->MagChangeCase(TXFormKind::Upper, TTransformCommands::UpperPosition);
    EXPECT_EQ(ClipText(*clip), "ab\r\ncD\r\n\xC3\x89"
                               "f")
        << "the clip keeps its line breaks";
    EXPECT_EQ(window->TextEditor()->toPlainText(), QString::fromUtf8("ab\ncD\n\xC3\x89"
                                                                     "f"));
    EXPECT_EQ(SelectedText(), QString::fromUtf8("D\u2029\xC3\x89"));
}

TEST_F(TransformPaneTest, OneUndoTakesATransformationBackAndTheOldTextGoesBackIntoTheClip) {
    StartWindow();
    CopyText(editor, "one two\nthree");
    QApplication::processEvents();
    TClipObj* clip = core->CurrentClip();
    ASSERT_NE(clip, nullptr);
    QPlainTextEdit* text = window->TextEditor();
    window->Transforms()->MagChangeCase(TXFormKind::FlowText, TTransformCommands::FlowPosition);
    EXPECT_EQ(ClipText(*clip), "one two three");
    EXPECT_EQ(text->toPlainText(), "one two three");
    EXPECT_FALSE(text->document()->isModified()) << "the clip holds the text already";
    window->RescueEditing();
    EXPECT_EQ(ClipText(*clip), "one two three");

    text->undo();
    EXPECT_EQ(text->toPlainText(), "one two\nthree");
    EXPECT_FALSE(text->document()->isUndoAvailable()) << "the transformation was one step";
    window->RescueEditing();
    EXPECT_EQ(ClipText(*clip), "one two\nthree");
}

TEST_F(TransformPaneTest, TheCommandsHaveTheirButtonsAndMenuEntries) {
    StartWindow();
    const char* const paneButtons[] = {"cmdMag_Case", "cmdMag_ShiftLeft", "cmdMag_ShiftRight", "cmdMag_RemoveCRLF"};
    for (const char* name : paneButtons)
        EXPECT_NE(window->findChild<QToolButton*>(name), nullptr) << name;
    // The pane's buttons are there while its editor holds a line.
    CopyText(editor, "a line");
    QApplication::processEvents();
    for (const char* name : paneButtons)
        EXPECT_TRUE(window->findChild<QToolButton*>(name)->isEnabled()) << name;
    window->TextEditor()->clear();
    QApplication::processEvents();
    for (const char* name : paneButtons)
        EXPECT_FALSE(window->findChild<QToolButton*>(name)->isEnabled()) << name;
    QToolButton* caseButton = window->findChild<QToolButton*>("cmdMag_Case");
    ASSERT_NE(caseButton, nullptr);
    EXPECT_EQ(caseButton->property(TWindowHelp::ContextProperty).toInt(), shell::THelpTopics::CaseButton);
    QToolButton* toolbar = window->findChild<QToolButton*>("cmdMainToolbarNOCRLF");
    ASSERT_NE(toolbar, nullptr);

    QStringList edit;
    for (QAction* menu : window->menuBar()->actions())
        if (menu->text() == "&Edit")
            for (QAction* item : menu->menu()->actions())
                edit << item->text();
    for (const char* entry : {"&Lower Case", "Upper &Case", "&Mixed Case", "&Sentence Case", "<< Shift Le&ft",
                              ">> Shift &Right", "Remove Line Br&eaks", "Strip Out Non-TEXT Data Formats"})
        EXPECT_TRUE(edit.contains(entry)) << entry;

    // The case button on the clip shown: lower case first.
    CopyText(editor, "Mixed TEXT");
    QApplication::processEvents();
    caseButton->click();
    EXPECT_EQ(window->TextEditor()->toPlainText(), "mixed text");
}

} // namespace
} // namespace bx::explorer
