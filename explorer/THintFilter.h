#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace bx::explorer {

// The window's tool tips: on or off for the whole window, shown for the chosen time, and kept quiet over one
// part (the clip list while it is dropped down). Installed on the application, it sees every tool-tip request
// and acts only on those of the window's widgets.
class THintFilter : public QObject {
public:
    explicit THintFilter(QWidget& window) : window_(window) {}

    void SetHints(bool on, int hidePauseMs);
    bool HintsOn() const { return on_; }
    // No tool tips over this widget (and its children) while quiet.
    void SetQuiet(QWidget* widget, bool quiet);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    bool on_ = true;
    int hidePauseMs_ = -1;
    QPointer<QWidget> quiet_;
};

} // namespace bx::explorer
