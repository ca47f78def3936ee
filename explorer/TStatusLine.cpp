#include "TStatusLine.h"

#include "TWindowModes.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

#include <array>

namespace bx::explorer {

TStatusLine::TStatusLine(QMainWindow& window) : window_(window) {
    // The last panel stretches: it has the bar's width less the first two.
    const std::array<int, 3> widths = shell::TWindowModes::StatusPanelWidths(0);
    buttons_ = new QWidget(&window);
    buttons_->setObjectName("pnlStatusButtons");
    buttons_->setFixedWidth(widths[0]);
    auto* layout = new QHBoxLayout(buttons_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addStretch(1);
    window.statusBar()->addWidget(buttons_);
    for (int i = 0; i < PanelCount; ++i) {
        panels_[i] = new QLabel(&window);
        if (i > 0)
            window.statusBar()->addWidget(panels_[i], i == TextPanel ? 1 : 0);
    }
    panels_[0]->hide();
    panels_[SizePanel]->setFixedWidth(widths[SizePanel]);
}

void TStatusLine::AddButton(QWidget* button) {
    auto* layout = static_cast<QHBoxLayout*>(buttons_->layout());
    layout->insertWidget(layout->count() - 1, button);
}

void TStatusLine::SetText(int panel, const QString& text) {
    if (panel >= 0 && panel < PanelCount)
        panels_[panel]->setText(text);
}

QString TStatusLine::Text(int panel) const {
    return panel >= 0 && panel < PanelCount ? panels_[panel]->text() : QString();
}

void TStatusLine::SetBusy(bool busy) {
    QWidget* parts = window_.centralWidget();
    if (busy) {
        if (QApplication::overrideCursor() == nullptr)
            QApplication::setOverrideCursor(Qt::BusyCursor);
        if (parts->isEnabled()) {
            // Disabling takes the focus away; it goes back where it was when the work is done.
            busyFocus_ = QApplication::focusWidget();
            parts->setEnabled(false);
        }
    } else {
        while (QApplication::overrideCursor() != nullptr)
            QApplication::restoreOverrideCursor();
        if (!parts->isEnabled()) {
            parts->setEnabled(true);
            if (busyFocus_ != nullptr)
                busyFocus_->setFocus();
            busyFocus_ = nullptr;
        }
    }
    // Busy: the work that follows keeps the event loop away, so the text is drawn now. Otherwise it is
    // drawn with everything else once the loop runs again.
    if (busy)
        window_.statusBar()->repaint();
}

} // namespace bx::explorer
