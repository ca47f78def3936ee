#include "TWindowHelp.h"

#include "IDesktop.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "THelp.h"
#include "TWindowGuard.h"
#include "TfrmBX.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace bx::explorer {

TWindowHelp::TWindowHelp(TfrmBX& window) : QObject(&window), window_(window) {}

TWindowHelp::~TWindowHelp() = default;

void TWindowHelp::SetCore(shell::TBrindlexCore* core, platform::IDesktop* desktop) {
    help_.reset();
    core_ = core;
    if (core == nullptr || desktop == nullptr)
        return;
    help_ = std::make_unique<shell::THelp>(
        desktop->Shell(), core->Boxes(), shell::THelp::Places(core->Settings().Dirs()),
        [core](const std::string& text) { core->ShowStatus(shell::StatusInBar, false, text); });
}

int TWindowHelp::ContextOf(const QWidget* control) const {
    for (const QWidget* w = control; w != nullptr && w != &window_; w = w->parentWidget()) {
        const QVariant context = w->property(ContextProperty);
        if (context.isValid())
            return context.toInt();
    }
    return windowContext_;
}

void TWindowHelp::SetContext(QWidget& control, int context) {
    control.setProperty(ContextProperty, context);
}

void TWindowHelp::ShowWindowTopic() {
    if (help_)
        help_->ShowHelp(shell::THelp::HelpContext, windowContext_);
}

void TWindowHelp::ShowTopic(int context) {
    if (help_)
        help_->ShowHelp(shell::THelp::HelpContext, context);
}

void TWindowHelp::WhatsThis(const QWidget* control) {
    if (help_)
        help_->ShowHelp(shell::THelp::HelpContextPopup, ContextOf(control));
}

void TWindowHelp::AddWhatsThis(QMenu& menu, const QWidget* control) {
    QAction* action = menu.addAction("What's This?");
    action->setObjectName("mnuWhatsThis");
    const QPointer<const QWidget> target(control);
    connect(action, &QAction::triggered, this,
            [this, target] { TWindowGuard::Run(core_, [this, target] { WhatsThis(target.data()); }); });
}

void TWindowHelp::GiveWhatsThisMenu(QWidget& control) {
    control.setContextMenuPolicy(Qt::CustomContextMenu);
    QWidget* target = &control;
    connect(target, &QWidget::customContextMenuRequested, this, [this, target](const QPoint& pos) {
        QMenu menu(&window_);
        QWidget* child = target->childAt(pos);
        AddWhatsThis(menu, child != nullptr ? child : target);
        menu.exec(target->mapToGlobal(pos));
    });
}

} // namespace bx::explorer
