#include "TStatusLine.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

namespace bx::explorer {

TStatusLine::TStatusLine(QMainWindow& window) : window_(window) {
    for (int i = 0; i < PanelCount; ++i) {
        panels_[i] = new QLabel(&window);
        window.statusBar()->addWidget(panels_[i], i == TextPanel ? 1 : 0);
    }
    panels_[0]->setMinimumWidth(60);
    panels_[SizePanel]->setMinimumWidth(120);
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
