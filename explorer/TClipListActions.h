#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <memory>

class QMenu;

namespace bx::platform {
class IDesktop;
}

namespace bx::shell {
class TBrindlexCore;
class TClipListCommands;
class TClipListSelection;
} // namespace bx::shell

namespace bx::explorer {

class TClipListView;
class TfrmBX;

// The clip list's commands on the window: the list's context menu (a right click, Shift+F10 and the menu
// key at the list's centre), the Delete key, drops of the list's own rows, presses on source addresses,
// the clip properties dialog and the details/large-icon switch. The behaviour is
// shell::TClipListCommands' and shell::TClipProperties'; every command runs through the core's guard with
// the window below its boxes.
class TClipListActions : public QObject {
    Q_OBJECT
public:
    TClipListActions(TfrmBX& window, TClipListView& list, shell::TBrindlexCore& core, platform::IDesktop& desktop,
                     shell::TClipListSelection& selection);
    ~TClipListActions() override;

    shell::TClipListCommands& Commands() const { return *commands_; }

    void DeleteSelected();
    void NewClip();
    void Properties();
    void OpenSourceUrl();
    void LocateLastClip();
    // The view switch: the large-icon view shows thumbnails, which the list does not draw yet; it stays
    // in the details view meanwhile.
    void SetLargeIcons(bool on) { largeIcons_ = on; }
    bool LargeIcons() const { return largeIcons_; }

    // Opens the context menu at a place on the screen (it closes itself when done).
    void Popup(const QPoint& globalPos);
    // The menu open now, or nullptr.
    QMenu* Open() const { return menu_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMenu* Build();
    // Runs a command through the core's guard.
    void Run(const std::function<void()>& command);

    TfrmBX& window_;
    TClipListView& list_;
    shell::TBrindlexCore& core_;
    shell::TClipListSelection& selection_;
    std::unique_ptr<shell::TClipListCommands> commands_;
    QPointer<QMenu> menu_;
    bool largeIcons_ = false;
};

} // namespace bx::explorer
