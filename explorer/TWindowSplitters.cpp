#include "TWindowSplitters.h"

#include "TAppSettings.h"
#include "TWindowCommands.h"

#include <QAction>
#include <QSplitter>

#include <algorithm>

namespace bx::explorer {

TWindowSplitters::TWindowSplitters(QWidget& window, QSplitter& treeSplitter, QSplitter& listSplitter,
                                   TWindowCommands& commands)
    : window_(window), tree_(treeSplitter), list_(listSplitter), commands_(commands) {
    connect(&tree_, &QSplitter::splitterMoved, this, [this] { Moved(false); });
    connect(&list_, &QSplitter::splitterMoved, this, [this] { Moved(true); });
}

void TWindowSplitters::Attach(shell::TAppSettings* settings) {
    settings_ = settings;
    if (settings_ != nullptr && settings_->split1 > 0 && settings_->split2 > 0) {
        tree_.setSizes({settings_->split1, std::max(window_.width() - settings_->split1, 100)});
        list_.setSizes({settings_->split2, std::max(window_.height() - settings_->split2, 100)});
    }
}

void TWindowSplitters::ExpandPane(bool expand) {
    if (expand) {
        tree_.setSizes({1, window_.width()});
        list_.setSizes({1, window_.height()});
        return;
    }
    const int split1 = settings_ != nullptr && settings_->split1 > 0 ? settings_->split1 : 200;
    const int split2 = settings_ != nullptr && settings_->split2 > 0 ? settings_->split2 : window_.height() / 2;
    tree_.setSizes({split1, std::max(window_.width() - split1, 100)});
    list_.setSizes({split2, std::max(window_.height() - split2, 100)});
}

void TWindowSplitters::Moved(bool horizontal) {
    if (settings_ == nullptr)
        return;
    if (horizontal) {
        // A list pushed to the top keeps a sliver, so that its splitter can be found again.
        int list = list_.sizes().value(0);
        if (list <= MinListHeight) {
            const int total = list_.sizes().value(0) + list_.sizes().value(1);
            list = MinListHeight;
            QSignalBlocker block(&list_);
            list_.setSizes({list, std::max(total - list, 0)});
        }
        settings_->split2 = list;
    } else {
        settings_->split1 = tree_.sizes().value(0);
    }
    // Moving either splitter ends the expanded pane.
    QAction* expand = commands_.Action(TWindowCommands::ExpandPreview);
    QSignalBlocker block(expand);
    expand->setChecked(false);
}

} // namespace bx::explorer
