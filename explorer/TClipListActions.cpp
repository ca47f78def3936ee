#include "TClipListActions.h"

#include "IDesktop.h"
#include "TBrindlexCore.h"
#include "TClipListCommands.h"
#include "TClipListModel.h"
#include "TClipListView.h"
#include "TClipMover.h"
#include "TClipObj.h"
#include "TClipProperties.h"
#include "TCollectionMoves.h"
#include "TGlueControl.h"
#include "THelpTopics.h"
#include "TSelectItemBar.h"
#include "TWindowCommands.h"
#include "TWindowHelp.h"
#include "TfrmBX.h"
#include "TfrmClipProperties.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>

#include <array>

namespace bx::explorer {

TClipListActions::TClipListActions(TfrmBX& window, TClipListView& list, shell::TBrindlexCore& core,
                                   platform::IDesktop& desktop, shell::TClipListSelection& selection)
    : QObject(&list), window_(window), list_(list), core_(core), selection_(selection),
      commands_(std::make_unique<shell::TClipListCommands>(core, selection, desktop.Shell())) {
    commands_->Unpin = [this] { window_.SetPinned(false); };
    list_.DroppedOnRow = [this](int row) { commands_->DropOnRow(row); };
    list_.UrlPressed = [this](const std::string& url) { commands_->OpenUrl(url); };
    TWindowHelp::SetContext(list_, shell::THelpTopics::ClipList);
    list_.installEventFilter(this);
    list_.viewport()->installEventFilter(this);
}

TClipListActions::~TClipListActions() {
    list_.removeEventFilter(this);
    list_.viewport()->removeEventFilter(this);
    list_.DroppedOnRow = nullptr;
    list_.UrlPressed = nullptr;
    delete menu_;
}

void TClipListActions::Run(const std::function<void()>& command) {
    core_.Guarded([this, &command] {
        const TfrmBX::TNotOnTop below(window_);
        command();
    });
}

void TClipListActions::DeleteSelected() {
    Run([this] { commands_->DeleteSelected(); });
}

void TClipListActions::NewClip() {
    Run([this] {
        if (commands_->NewClip() != nullptr)
            window_.TextEditor()->setFocus(Qt::OtherFocusReason);
    });
}

void TClipListActions::OpenSourceUrl() {
    Run([this] { commands_->OpenSourceUrl(); });
}

void TClipListActions::LocateLastClip() {
    Run([this] { commands_->LocateLastClip(); });
}

void TClipListActions::Properties() {
    Run([this] {
        const auto dialog = [this](shell::TClipProperties& form) {
            TfrmClipProperties frm(
                form, [this] { window_.Help()->ShowTopic(shell::THelpTopics::ClipList); }, &window_);
            if (window_.BeforeDialog)
                window_.BeforeDialog(frm);
            return frm.exec() == QDialog::Accepted;
        };
        shell::TClipProperties::Run(core_, dialog, [this](const clipstore::TClipObj& clip) {
            list_.RefreshRow(&clip);
            window_.SelectItemBar()->ShowClip(QString::fromStdString(clip.Title), list_.FormatImages(&clip));
        });
    });
}

bool TClipListActions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == &list_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
            DeleteSelected();
            return true;
        }
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
            Popup(list_.mapToGlobal(list_.rect().center()));
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu && (watched == &list_ || watched == list_.viewport())) {
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        Popup(menuEvent->reason() == QContextMenuEvent::Mouse ? menuEvent->globalPos()
                                                              : list_.mapToGlobal(list_.rect().center()));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

QMenu* TClipListActions::Build() {
    const shell::TClipListModel& list = core_.ClipList();
    const std::size_t selected = list.SelectedCount();
    const clipstore::TClipObj* first = list.FirstSelected();
    auto* menu = new QMenu(&list_);
    menu->setObjectName("PopupMenuClips");
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto add = [&](const char* name, const char* text, bool enabled, void (TClipListActions::*command)()) {
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, [this, command] { (this->*command)(); });
        return action;
    };
    add("mnuPopupClips_Properties", "Properties", true, &TClipListActions::Properties);
    add("mnuPopupClips_NewClip", "&New Clip", list.Coll() != nullptr, &TClipListActions::NewClip);
    add("mnuPopupClips_Delete", "&Delete Clip(s)", selected > 0, &TClipListActions::DeleteSelected);
    if (TGlueControl* glue = window_.GlueControl(); glue != nullptr) {
        QAction* action = menu->addAction("&Glue Clips Together");
        action->setObjectName("mnuPopupClips_GlueClips");
        connect(action, &QAction::triggered, this, [this] {
            if (window_.GlueControl() != nullptr)
                window_.GlueControl()->Click();
        });
    }
    menu->addSeparator();
    if (TCollectionMoves* moves = window_.Moves(); moves != nullptr) {
        for (const bool top : {true, false}) {
            QAction* action = menu->addAction(top ? "Move To &Top Of Sort Order" : "Move To &Bottom Of Sort Order");
            action->setObjectName(top ? "mnuPopupClips_MoveToTop" : "mnuPopupClips_MoveToBottom");
            connect(action, &QAction::triggered, this, [this, top] {
                Run([this, top] {
                    if (window_.Moves() != nullptr)
                        window_.Moves()->Mover().MoveWithinCollection(top);
                });
            });
        }
        menu->addSeparator();
    }
    QAction* url =
        add("mnu_OpenSourceURL1", "Open Source URL In Browser",
            selected == 1 && first != nullptr && !first->SourceURL.str().empty(), &TClipListActions::OpenSourceUrl);
    url->setShortcut(QKeySequence("Ctrl+O"));
    // Renaming the clip and launching the address in its text (the window's commands).
    window_.Commands()->FillMenu(*menu, std::array{TWindowCommands::ClipsRename, TWindowCommands::LaunchAsUrl});
    menu->addSeparator();
    menu->addAction("&Cancel")->setObjectName("mnuPopupClips_Cancel");
    window_.Help()->AddWhatsThis(*menu, &list_);
    return menu;
}

void TClipListActions::Popup(const QPoint& globalPos) {
    delete menu_;
    menu_ = Build();
    menu_->popup(globalPos);
}

} // namespace bx::explorer
