#pragma once

#include <QPointer>
#include <QString>

class QLabel;
class QMainWindow;
class QWidget;

namespace bx::explorer {

// The window's status bar: three panels of 27 and 100 pixels and the rest (the first holds the tack and, at
// the same place, Flashpick's lock; the second the size of what the preview shows; the last the status text), and
// the busy state: the busy cursor and the window's parts disabled, the focus going back where it was once
// the work is done.
class TStatusLine {
public:
    // The panel with the size of what the preview pane shows, and the one with the status text.
    static constexpr int SizePanel = 1;
    static constexpr int TextPanel = 2;
    static constexpr int PanelCount = 3;

    explicit TStatusLine(QMainWindow& window);

    void SetText(int panel, const QString& text);
    // The first panel holds this button (the tack, Flashpick's lock), at its left edge.
    void AddButton(QWidget* button);
    QString Text(int panel) const;
    // Busy: the status text is drawn at once, since the work that follows keeps the event loop away.
    void SetBusy(bool busy);

private:
    QMainWindow& window_;
    QWidget* buttons_ = nullptr;
    QLabel* panels_[PanelCount] = {nullptr, nullptr, nullptr};
    QPointer<QWidget> busyFocus_;
};

} // namespace bx::explorer
