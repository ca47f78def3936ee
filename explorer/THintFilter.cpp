#include "THintFilter.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

namespace bx::explorer {

void THintFilter::SetHints(bool on, int hidePauseMs) {
    on_ = on;
    hidePauseMs_ = hidePauseMs > 0 ? hidePauseMs : -1;
}

void THintFilter::SetQuiet(QWidget* widget, bool quiet) {
    quiet_ = quiet ? widget : nullptr;
}

bool THintFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != &window_)
        return false;
    if (!on_ || (quiet_ != nullptr && (widget == quiet_ || quiet_->isAncestorOf(widget)))) {
        QToolTip::hideText();
        return true;
    }
    // A widget's own tip stays up for the chosen time; the lists' cell tips are theirs to show.
    if (widget->toolTip().isEmpty())
        return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    QToolTip::showText(help->globalPos(), widget->toolTip(), widget, {}, hidePauseMs_);
    return true;
}

} // namespace bx::explorer
