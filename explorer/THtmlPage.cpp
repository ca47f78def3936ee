#include "THtmlPage.h"

#include "TClipBytes.h"
#include "TClipObj.h"

namespace bx::explorer {

THtmlPage::THtmlPage(QWidget* parent) : THtmlView(parent) {
    setObjectName("tsHTML");
}

bool THtmlPage::HasHtml(clipstore::TClipObj& clip, platform::UINT htmlFormat) {
    return htmlFormat != 0 && clip.HasFormat(htmlFormat);
}

QString THtmlPage::TabText(bool hasHtml) {
    return hasHtml ? "&HTML" : "TEXT as &HTML";
}

QString THtmlPage::Show(clipstore::TClipObj& clip, platform::UINT htmlFormat, const QString& text) {
    if (HasHtml(clip, htmlFormat)) {
        ShowHtmlFormat(TClipBytes::Locked(clip, htmlFormat, true));
        return "Actual HTML";
    }
    // What the text page shows, so that a huge text is shown in part here too.
    ShowText(text.toStdString());
    return "TEXT as HTML";
}

} // namespace bx::explorer
