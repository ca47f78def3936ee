#pragma once

#include "TEvent.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>
#include <memory>

class QDropEvent;
class QMenu;
class QPlainTextEdit;

namespace bx::platform {
class IDesktop;
}

namespace bx::shell {
class ICollectionDialogs;
class TBrindlexCore;
class TClipListSelection;
} // namespace bx::shell

namespace bx::pastetools {
class TEditCommands;
struct TEditEnabling;
} // namespace bx::pastetools

namespace bx::explorer {

class TClipListView;
class TTextPage;
class TfrmBX;

// The edit pane's commands on the window: the editor's own pop-up menu (in place of the editor's), its
// cut, copy, paste and undo keys (the clipboard is the program's, not the toolkit's), drops of the clip
// list's rows onto the text, the commands' enabling and the rename and launch commands of the menus. The
// behaviour is pastetools::TEditCommands'; every command runs through the core's guard, and those that may
// show a box or a dialog with the window below it.
class TEditPaneActions : public QObject {
    Q_OBJECT
public:
    TEditPaneActions(TfrmBX& window, TTextPage& page, TClipListView& list, shell::TBrindlexCore& core,
                     platform::IDesktop& desktop, shell::TClipListSelection& selection,
                     shell::ICollectionDialogs& dialogs);
    ~TEditPaneActions() override;

    pastetools::TEditCommands& Commands() const { return *commands_; }

    void Cut();
    void Copy();
    void Paste();
    void Undo();
    void MakeTitle();
    void LaunchExact();
    void LaunchSmart();
    void Rename();
    void LaunchSelectedClip();
    // The clipboard holds text (or not): the paste command follows.
    void SetPasteEnabled(bool enabled);

    // Opens the editor's pop-up menu at a place on the screen (it closes itself when done).
    void Popup(const QPoint& globalPos);
    QMenu* Open() const { return menu_; }

signals:
    // The case, shift and line-break commands may run (the editor holds text that can be edited).
    void TransformsEnabled(bool enabled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Run(const std::function<void()>& command, bool below = false);
    void ShowEnabling(const pastetools::TEditEnabling& enabling);
    // A drag of the list's own rows.
    bool OwnRows(const QDropEvent* event) const;

    TfrmBX& window_;
    TTextPage& page_;
    QPlainTextEdit& editor_;
    TClipListView& list_;
    shell::TBrindlexCore& core_;
    shell::TClipListSelection& selection_;
    std::unique_ptr<pastetools::TEditCommands> commands_;
    platform::TSubscription titleChanged_;
    QPointer<QMenu> menu_;
};

} // namespace bx::explorer
