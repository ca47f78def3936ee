#include "TRtfPage.h"

#include "TClipBytes.h"
#include "TClipObj.h"
#include "TRtfReader.h"

#include <QTextCursor>

#include <cstdint>
#include <span>
#include <string>

namespace bx::explorer {

TRtfPage::TRtfPage(QWidget* parent) : QTextEdit(parent) {
    setObjectName("txtMagnifyRTF");
    setAcceptRichText(true);
}

bool TRtfPage::Has(clipstore::TClipObj& clip, platform::UINT rtfFormat) {
    return rtfFormat != 0 && clip.HasFormat(rtfFormat);
}

QString TRtfPage::Show(clipstore::TClipObj& clip, platform::UINT rtfFormat) {
    const std::string rtf = TClipBytes::Locked(clip, rtfFormat, true);
    const bool read =
        !rtf.empty() &&
        TRtfReader::Read(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(rtf.data()), rtf.size()),
                         *document());
    if (!read)
        setPlainText(TClipBytes::CouldNotRetrieve);
    moveCursor(QTextCursor::Start);
    return QString::number(toPlainText().size()) + " Bytes";
}

} // namespace bx::explorer
