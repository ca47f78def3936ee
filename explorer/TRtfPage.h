#pragma once

#include "PlatformTypes.h"

#include <QTextEdit>

namespace bx::clipstore {
class TClipObj;
}

namespace bx::explorer {

// The preview pane's Rich Text page: the clip's rich text, read when the page becomes active.
class TRtfPage : public QTextEdit {
    Q_OBJECT
public:
    explicit TRtfPage(QWidget* parent = nullptr);

    static bool Has(clipstore::TClipObj& clip, platform::UINT rtfFormat);
    // Reads the clip's rich text into the page; returns its size for the status bar.
    QString Show(clipstore::TClipObj& clip, platform::UINT rtfFormat);
};

} // namespace bx::explorer
