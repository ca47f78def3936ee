#pragma once

#include <QLineEdit>

namespace bx::shell {
class TClipFilter;
}

namespace bx::explorer {

class TClipListView;

// The filter box above the clip list: what is typed narrows the list's rows as it is typed (the filter's
// text follows every change), a printable key typed in the list starts it, Escape empties it and gives the
// list back the focus with its full rows and its selection, the Down key goes to the list.
class TFilterBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TFilterBox(QWidget* parent);

    // Filters the list's rows with filter (nullptr: the box is empty and does nothing).
    void Attach(TClipListView* list, shell::TClipFilter* filter);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TClipListView* list_ = nullptr;
    shell::TClipFilter* filter_ = nullptr;
};

} // namespace bx::explorer
