#include "TWindowModesControl.h"

#include "IDesktop.h"
#include "LogHook.h"
#include "LogLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipListView.h"
#include "TCollapseTab.h"
#include "TDropDownBar.h"
#include "THintFilter.h"
#include "TImages.h"
#include "TWindowCommands.h"
#include "TWindowHelp.h"
#include "TfrmBX.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <QWindowStateChangeEvent>

namespace bx::explorer {

TWindowModesControl::TWindowModesControl(TfrmBX& window, const TWindowLayout::Parts& parts, TCollapseTab* previewTab)
    : QObject(&window), window_(window), layout_(parts), previewTab_(previewTab),
      hints_(std::make_unique<THintFilter>(window)) {
    qApp->installEventFilter(hints_.get());
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) { OnApplicationState(state == Qt::ApplicationActive); });
    Connect(parts);
}

void TWindowModesControl::Connect(const TWindowLayout::Parts& parts) {
    TfrmBX& w = window_;
    const auto guarded = [&w](auto handler) { return [&w, handler] { w.Guard(handler); }; };
    connect(parts.toolbarTab, &TCollapseTab::Toggled, this, guarded([this] { ToolbarToggled(); }));
    connect(parts.dropDownBar, &TDropDownBar::DropDownClicked, this,
            guarded([this] { DropDown(modes_ && !modes_->DroppedDown()); }));
    // A click on the one-line bar: the shrunk strip expands, and the list drops down or is raised.
    connect(parts.dropDownBar, &TDropDownBar::BarClicked, this, guarded([this] {
                ExpandIfShrunk();
                DropDown(modes_ && !modes_->DroppedDown());
            }));
    // A click in the dropped-down list raises it (unless tacked), a double click always.
    connect(window_.lvClips_, &QAbstractItemView::clicked, this, guarded([this] { ListClicked(false); }));
    connect(window_.lvClips_, &QAbstractItemView::doubleClicked, this, guarded([this] { ListClicked(true); }));
    window_.lvClips_->installEventFilter(this);
    // Without a system menu on Linux, the view and stacking choices are also on the toolbar's and the bar's
    // context menu.
    for (QWidget* part : {static_cast<QWidget*>(parts.toolbar), static_cast<QWidget*>(parts.dropDownBar)}) {
        part->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(part, &QWidget::customContextMenuRequested, this, [this, part](const QPoint& pos) {
            QMenu menu(&window_);
            window_.commands_->FillWindowMenu(menu);
            menu.addSeparator();
            QWidget* child = part->childAt(pos);
            window_.Help()->AddWhatsThis(menu, child != nullptr ? child : part);
            menu.exec(part->mapToGlobal(pos));
        });
    }
}

bool TWindowModesControl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter)
            window_.Guard([this, key] { ListClicked(key == Qt::Key_Escape); });
    }
    return QObject::eventFilter(watched, event);
}

TWindowModesControl::~TWindowModesControl() {
    qApp->removeEventFilter(hints_.get());
}

void TWindowModesControl::SetCore(bool attached) {
    if (!attached || window_.core_ == nullptr || window_.desktop_ == nullptr) {
        modes_.reset();
        return;
    }
    modes_ = std::make_unique<shell::TWindowModes>(window_.core_->Settings(), window_.desktop_->Clock());
    ShowMarks();
}

bool TWindowModesControl::FlashpickActive() const {
    return window_.core_ != nullptr && window_.core_->FlashpickActive();
}

void TWindowModesControl::Start() {
    if (!modes_)
        return;
    const shell::TAppSettings& settings = window_.core_->Settings();
    // The strip is as wide as the expanded toolbar's buttons.
    window_.toolbarTab_->SetExpanded(true);
    modes_->CalcLayouts(layout_.Measure());
    window_.toolbarTab_->SetExpanded(settings.Toolbar1Showing);
    previewTab_->SetExpanded(settings.Toolbar2Showing);
    Toolbar3Showing = settings.Toolbar3Showing;
    modes_->FitStoredGeometry(layout_.WorkAreas());
    modes_->ApplyGreyX();
    SetShowHint();
    ApplyLayout(true, modes_->CurrentSnap(), true);
    ApplyStacking();
    // Until the program is activated it counts as in the background (the close button, the shrunk strip).
    OnApplicationState(false);
}

void TWindowModesControl::ApplyLayout(bool applyPosition, int layout, bool applySize) {
    if (modes_)
        Apply(modes_->ApplyLayout(applyPosition, layout, applySize, FlashpickActive()));
}

void TWindowModesControl::Apply(const shell::TLayoutPlan& plan) {
    modes_->ResizeInProgress = true;
    if (plan.ShowNormal) {
        window_.showNormal();
        // The window system's reports of the states passed through come now, while they count as ours.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    layout_.Apply(plan, modes_->SelectItemWidth(window_.dropDownBar_->Button()->width()));
    window_.Help()->SetWindowContext(plan.ExplorerView ? shell::THelpTopics::ExplorerView
                                                       : shell::THelpTopics::TraditionalView);
    hints_->SetQuiet(window_.lvClips_, plan.DroppedDown);
    if (plan.FocusList)
        window_.lvClips_->setFocus();
    if (plan.EndFlashpick)
        window_.EndFlashpickRequested.Emit();
    ShowMarks();
    modes_->ResizeInProgress = false;
    // A pane that was hidden shows the current clip now.
    if (window_.pane_->Stale() && window_.pane_->isVisible())
        window_.UpdateMagView();
}

void TWindowModesControl::ShowMarks() {
    if (!modes_)
        return;
    const shell::TAppSettings& settings = window_.core_->Settings();
    syncing_ = true;
    const auto mark = [&](TWindowCommands::Command command, bool on) {
        QAction* action = window_.commands_->Action(command);
        const QSignalBlocker block(action);
        action->setChecked(on);
    };
    mark(TWindowCommands::ExplorerView, modes_->ExplorerView());
    mark(TWindowCommands::ShowMainMenu, settings.ShowMainMenu);
    mark(TWindowCommands::TrayShowMainMenu, settings.ShowMainMenu);
    mark(TWindowCommands::AlwaysOnTop, settings.Visibility == 0);
    mark(TWindowCommands::NormalWindow, settings.Visibility == 1);
    mark(TWindowCommands::AutoHide, settings.Visibility == 2);
    mark(TWindowCommands::StatusBarTack, settings.StickyDropDown);
    window_.commands_->Action(TWindowCommands::StatusBarTack)
        ->setIcon(TImages::Icon(settings.StickyDropDown ? "TB_TACK1" : "TB_TACK0"));
    syncing_ = false;
}

void TWindowModesControl::SwitchView() {
    if (!modes_)
        return;
    const bool maximized = window_.isMaximized();
    Apply(modes_->SwitchView(maximized, layout_.Geometry(), ToolbarStates(), FlashpickActive()));
    // The expanded pane stays as chosen; a pinned preview lets go.
    window_.ExpandPane(window_.commands_->Action(TWindowCommands::ExpandPreview)->isChecked());
    if (window_.Pinned())
        window_.commands_->Action(TWindowCommands::PinPreview)->setChecked(false);
}

void TWindowModesControl::DropDown(bool down) {
    if (!modes_ || modes_->ExplorerView() || down == modes_->DroppedDown())
        return;
    if (down)
        ExpandIfShrunk();
    const std::vector<shell::TWindowRect> areas = layout_.WorkAreas();
    const shell::TWindowRect work = areas.empty() ? shell::TWindowRect{0, 0, 1 << 20, 1 << 20} : areas.front();
    // Flashpick's lock shows instead of the tack while it runs; its state is Flashpick's.
    Apply(modes_->DropDown(down, layout_.Geometry(), work, FlashpickActive(), window_.core_->Settings().FPLock));
}

void TWindowModesControl::ListClicked(bool always) {
    // In Flashpick the list's clicks and keys are the pick list's: it raises the list when it ends.
    if (modes_ && modes_->DroppedDown() && !FlashpickActive() && (always || modes_->ListClickRaises()))
        DropDown(false);
}

void TWindowModesControl::SetTack(bool on) {
    if (!modes_ || syncing_)
        return;
    window_.core_->Settings().StickyDropDown = on;
    ShowMarks();
}

void TWindowModesControl::ToggleMainMenu() {
    if (!modes_ || syncing_)
        return;
    if (const std::optional<shell::TLayoutPlan> plan = modes_->ToggleMainMenu(FlashpickActive()))
        Apply(*plan);
    else
        window_.menuBar()->setVisible(modes_->MainMenuShown());
    ShowMarks();
}

void TWindowModesControl::SetVisibility(int visibility) {
    if (!modes_ || syncing_)
        return;
    modes_->SetVisibility(visibility);
    ApplyStacking();
}

void TWindowModesControl::SetNotOnTop() {
    if (modes_) {
        modes_->SetNotOnTop();
        ApplyStacking();
    }
}

void TWindowModesControl::SetStayOnTop() {
    if (modes_) {
        modes_->SetStayOnTop();
        ApplyStacking();
    }
}

void TWindowModesControl::ApplyStacking() {
    if (!modes_)
        return;
    ShowMarks();
    const bool onTop = modes_->OnTop();
    // On the window itself, so that the window manager only changes its above state: the widget's own flags
    // would make Qt unmap and map it again.
    if (QWindow* handle = window_.windowHandle()) {
        if (handle->flags().testFlag(Qt::WindowStaysOnTopHint) != onTop)
            handle->setFlag(Qt::WindowStaysOnTopHint, onTop);
    } else if (window_.windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop) {
        window_.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    }
}

void TWindowModesControl::SetShowHint() {
    if (modes_)
        hints_->SetHints(window_.core_->Settings().ShowHint, window_.core_->Settings().HintHidePause);
}

void TWindowModesControl::AutoShrink(bool shrink) {
    if (!modes_)
        return;
    if (const std::optional<shell::TLayoutPlan> plan = modes_->AutoShrinkWindow(shrink, FlashpickActive()))
        Apply(*plan);
}

void TWindowModesControl::ExpandIfShrunk() {
    if (modes_ && modes_->Shrunk() && window_.core_->Settings().AutoShrink)
        AutoShrink(false);
}

void TWindowModesControl::RecordPosition() {
    if (modes_)
        modes_->RecordPosition(layout_.Geometry(), ToolbarStates());
}

std::array<bool, 3> TWindowModesControl::ToolbarStates() const {
    return {window_.toolbarTab_->Expanded(), previewTab_->Expanded(), Toolbar3Showing};
}

void TWindowModesControl::ToolbarToggled() {
    if (modes_ && !modes_->LayoutSwitching())
        ApplyLayout(false, modes_->Shrunk() ? 1 : modes_->CurrentSnap(), false);
}

void TWindowModesControl::OnStateChange(QEvent* event) {
    if (!modes_ || event->type() != QEvent::WindowStateChange)
        return;
    const Qt::WindowStates before = static_cast<QWindowStateChangeEvent*>(event)->oldState();
    const Qt::WindowStates now = window_.windowState();
    modes_->AppMinimized = now.testFlag(Qt::WindowMinimized);
    if (modes_->ResizeInProgress)
        return;
    // Restored from minimized: a shrunk strip expands.
    if (before.testFlag(Qt::WindowMinimized) && !now.testFlag(Qt::WindowMinimized))
        ExpandIfShrunk();
    // The window system may report one change twice: one switch for it, once the change is over.
    if (switchPending_)
        return;
    const auto switchLater = [this] {
        switchPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                switchPending_ = false;
                SwitchView();
            },
            Qt::QueuedConnection);
    };
    if (now.testFlag(Qt::WindowMaximized) && !before.testFlag(Qt::WindowMaximized)) {
        // Maximizing the strip opens the explorer view at its own size instead.
        if (!modes_->Maximize())
            switchLater();
    } else if (before.testFlag(Qt::WindowMaximized) && !now.testFlag(Qt::WindowMaximized) &&
               !now.testFlag(Qt::WindowMinimized)) {
        if (modes_->Restore())
            switchLater();
    }
}

void TWindowModesControl::OnResize() {
    if (!modes_)
        return;
    if (const std::optional<int> list = modes_->DroppedResize(layout_.RightPanelHeight()))
        layout_.SetListHeight(*list);
}

void TWindowModesControl::OnFirstShow() {
    if (modes_)
        modes_->FirstShowDone = true;
}

void TWindowModesControl::OnApplicationState(bool active) {
    if (!modes_ || window_.core_ == nullptr)
        return;
    active_ = active;
    modes_->StartupDone = window_.core_->StartupDone();
    const TfrmBX::TFlashpickFlags fp = window_.FlashpickFlags ? window_.FlashpickFlags() : TfrmBX::TFlashpickFlags{};
    const bool fpActive = FlashpickActive();
    if (active) {
        const shell::TActivationPlan plan = modes_->AppActivate(fpActive, !window_.isVisible());
        if (plan.Show)
            window_.show();
        if (plan.Expand)
            AutoShrink(false);
        return;
    }
    platform::LogMsg(platform::LogDetail, "TfrmBX.AppDeactivate",
                     fpActive ? "Flashpick Active" : "Flashpick NOT Active");
    const shell::TActivationPlan plan = modes_->AppDeactivate(fpActive, fp.Pasting, fp.Locked, fp.WithinGrace);
    if (plan.Nothing)
        return;
    // The pending edit is written back when the window loses the focus (the window's own rule).
    if (plan.RaiseDropDown)
        DropDown(false);
    if (plan.Minimize)
        window_.showMinimized();
    else if (plan.Shrink)
        AutoShrink(true);
    if (plan.EndFlashpick)
        window_.EndFlashpickRequested.Emit();
}

bool TWindowModesControl::CloseEnabled() const {
    return !modes_ || modes_->CloseEnabled();
}

} // namespace bx::explorer
