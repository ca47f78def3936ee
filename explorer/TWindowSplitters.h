#pragma once

#include <QObject>

class QSplitter;
class QWidget;

namespace bx::shell {
class TAppSettings;
}

namespace bx::explorer {

class TWindowCommands;

// The main window's two splitters: the tree beside the list (split1) and the list above the pane (split2).
// With the settings attached their places come from the settings and go back into them when the user moves
// one; the expanded pane narrows the tree and the list to a pixel, and moving either splitter ends it.
class TWindowSplitters : public QObject {
public:
    // The list keeps this height when its splitter is pushed to the top.
    static constexpr int MinListHeight = 2;

    TWindowSplitters(QWidget& window, QSplitter& treeSplitter, QSplitter& listSplitter, TWindowCommands& commands);

    // The settings the places are kept in (nullptr: none); the stored places are taken when both are set.
    void Attach(shell::TAppSettings* settings);
    // The pane over the whole window, or back at the stored places (the defaults without them).
    void ExpandPane(bool expand);

private:
    void Moved(bool horizontal);

    QWidget& window_;
    QSplitter& tree_;
    QSplitter& list_;
    TWindowCommands& commands_;
    shell::TAppSettings* settings_ = nullptr;
};

} // namespace bx::explorer
