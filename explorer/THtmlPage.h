#pragma once

#include "PlatformTypes.h"
#include "THtmlView.h"

namespace bx::clipstore {
class TClipObj;
}

namespace bx::explorer {

// The preview pane's HTML page: the clip's HTML fragment, or (for a clip without HTML) the text the Text
// page shows, as HTML. It shows only what the clip holds (see THtmlView).
class THtmlPage : public THtmlView {
    Q_OBJECT
public:
    explicit THtmlPage(QWidget* parent = nullptr);

    static bool HasHtml(clipstore::TClipObj& clip, platform::UINT htmlFormat);
    // The page's name on its tab.
    static QString TabText(bool hasHtml);
    // Shows the clip's HTML, else the text; returns what is shown for the status bar.
    QString Show(clipstore::TClipObj& clip, platform::UINT htmlFormat, const QString& text);
};

} // namespace bx::explorer
