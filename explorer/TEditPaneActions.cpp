#include "TEditPaneActions.h"

#include "TBrindlexCore.h"
#include "TClipDragData.h"
#include "TClipListSelection.h"
#include "TClipListView.h"
#include "TClipObj.h"
#include "TEditCommands.h"
#include "TSelectItemBar.h"
#include "TTextPage.h"
#include "TWindowCommands.h"
#include "TfrmBX.h"

#include <QAction>
#include <QDropEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <array>

namespace bx::explorer {

namespace {

using Cmd = TWindowCommands::Command;

// The editor's pop-up menu.
constexpr std::array PopupMenu = {Cmd::MagCut,    Cmd::MagCopy,      Cmd::MagPaste,
                                  Cmd::MagUndo,   Cmd::Separator,    Cmd::MagMakeTitle,
                                  Cmd::Separator, Cmd::MagLaunchUrl, Cmd::MagLaunchUrlSmart};

} // namespace

TEditPaneActions::TEditPaneActions(TfrmBX& window, TTextPage& page, TClipListView& list, shell::TBrindlexCore& core,
                                   platform::IDesktop& desktop, shell::TClipListSelection& selection,
                                   shell::ICollectionDialogs& dialogs)
    : window_(window), page_(page), editor_(*page.Editor()), list_(list), core_(core), selection_(selection),
      commands_(std::make_unique<pastetools::TEditCommands>(core, desktop, selection, dialogs)) {
    page_.EnablingShown = [this](const pastetools::TEditEnabling& enabling) { ShowEnabling(enabling); };
    commands_->SetPane(&page_);
    // A new title shows in the clip's row and, for the current clip, in the bar above the list.
    titleChanged_ = commands_->TitleChanged.Subscribe([this](const clipstore::TClipObj& clip) {
        list_.RefreshRow(&clip);
        if (&clip == core_.CurrentClip())
            window_.SelectItemBar()->ShowClip(QString::fromStdString(clip.Title), list_.FormatImages(&clip));
    });
    editor_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&editor_, &QPlainTextEdit::customContextMenuRequested, this,
            [this](const QPoint& pos) { Popup(editor_.mapToGlobal(pos)); });
    const auto changed = [this] { Run([this] { commands_->SelectionChanged(); }); };
    connect(&editor_, &QPlainTextEdit::selectionChanged, this, changed);
    connect(&editor_, &QPlainTextEdit::undoAvailable, this, changed);
    connect(&editor_, &QPlainTextEdit::textChanged, this, changed);
    // The commands edit the Text page only while it is the page shown.
    connect(window_.Pane(), &QTabWidget::currentChanged, this, changed);
    editor_.installEventFilter(this);
    editor_.viewport()->installEventFilter(this);
    SetPasteEnabled(commands_->ClipboardHasText());
}

TEditPaneActions::~TEditPaneActions() {
    editor_.removeEventFilter(this);
    editor_.viewport()->removeEventFilter(this);
    editor_.setContextMenuPolicy(Qt::DefaultContextMenu);
    page_.EnablingShown = nullptr;
    delete menu_;
}

void TEditPaneActions::Run(const std::function<void()>& command, bool below) {
    core_.Guarded([this, &command, below] {
        if (below) {
            const TfrmBX::TNotOnTop notOnTop(window_);
            command();
        } else {
            command();
        }
    });
}

void TEditPaneActions::ShowEnabling(const pastetools::TEditEnabling& enabling) {
    TWindowCommands& commands = *window_.Commands();
    commands.Action(Cmd::MagCut)->setEnabled(enabling.Cut);
    commands.Action(Cmd::MagCopy)->setEnabled(enabling.Copy);
    commands.Action(Cmd::MagUndo)->setEnabled(enabling.Undo);
    commands.Action(Cmd::MagMakeTitle)->setEnabled(enabling.MakeTitle);
    commands.Action(Cmd::MagLaunchUrl)->setEnabled(enabling.LaunchExact);
    emit TransformsEnabled(enabling.Transform);
}

void TEditPaneActions::SetPasteEnabled(bool enabled) {
    window_.Commands()->Action(Cmd::MagPaste)->setEnabled(enabled);
}

void TEditPaneActions::Cut() {
    Run([this] { commands_->Cut(); });
}

void TEditPaneActions::Copy() {
    Run([this] { commands_->Copy(); });
}

void TEditPaneActions::Paste() {
    Run([this] { commands_->Paste(); });
}

void TEditPaneActions::Undo() {
    Run([this] { commands_->Undo(); });
}

void TEditPaneActions::MakeTitle() {
    Run([this] { commands_->MakeTitle(); });
}

void TEditPaneActions::LaunchExact() {
    Run([this] { commands_->LaunchExact(); });
}

void TEditPaneActions::LaunchSmart() {
    Run([this] { commands_->LaunchSmart(); }, true);
}

void TEditPaneActions::Rename() {
    Run([this] { commands_->Rename(); }, true);
}

void TEditPaneActions::LaunchSelectedClip() {
    Run([this] { commands_->LaunchSelectedClip(); }, true);
}

void TEditPaneActions::Popup(const QPoint& globalPos) {
    delete menu_;
    menu_ = new QMenu(&editor_);
    menu_->setObjectName("PopupMenuMag");
    menu_->setAttribute(Qt::WA_DeleteOnClose);
    // The clipboard may have changed without a capture (the program's own put-back): paste follows it now.
    commands_->SelectionChanged();
    SetPasteEnabled(commands_->ClipboardHasText());
    window_.Commands()->FillMenu(*menu_, PopupMenu);
    menu_->popup(globalPos);
}

bool TEditPaneActions::OwnRows(const QDropEvent* event) const {
    return event->source() == &list_ && event->mimeData()->hasFormat(TClipDragData::InternalType);
}

bool TEditPaneActions::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == &editor_ && (type == QEvent::ShortcutOverride || type == QEvent::KeyPress)) {
        // The editor's own clipboard keys would use the toolkit's clipboard; these use the program's.
        auto* key = static_cast<QKeyEvent*>(event);
        const std::pair<QKeySequence::StandardKey, void (TEditPaneActions::*)()> keys[] = {
            {QKeySequence::Cut, &TEditPaneActions::Cut},
            {QKeySequence::Copy, &TEditPaneActions::Copy},
            {QKeySequence::Paste, &TEditPaneActions::Paste},
            {QKeySequence::Undo, &TEditPaneActions::Undo}};
        for (const auto& [standard, command] : keys) {
            if (!key->matches(standard))
                continue;
            event->accept();
            if (type == QEvent::KeyPress)
                (this->*command)();
            return true;
        }
    }
    if (watched == editor_.viewport() &&
        (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!pastetools::TEditCommands::CanDrop(OwnRows(drop)))
            return false;
        drop->acceptProposedAction();
        if (type == QEvent::Drop)
            Run([this] {
                commands_->DropClips();
                editor_.setFocus(Qt::OtherFocusReason);
            });
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace bx::explorer
