#include "TPicturePage.h"

#include "PlatformTypes.h"
#include "TClipObj.h"
#include "TImageFit.h"
#include "TMetafile.h"
#include "TMetafileRenderer.h"

#include <QPixmap>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace bx::explorer {

using clipstore::TClipObj;
using platform::CF_ENHMETAFILE;
using platform::CF_METAFILEPICT;

TPicturePage::TPicturePage(QWidget* parent) : QLabel(parent) {
    setObjectName("imgMagnifyPicture");
    setAlignment(Qt::AlignCenter);
}

bool TPicturePage::Has(TClipObj& clip) {
    return clip.HasFormat(CF_METAFILEPICT) || clip.HasFormat(CF_ENHMETAFILE);
}

QString TPicturePage::Show(TClipObj& clip, std::string& status) {
    const TClipObj::GraphicObj obj = clip.GetObj(clip.HasFormat(CF_ENHMETAFILE) ? CF_ENHMETAFILE : CF_METAFILEPICT);
    return DrawPicture(obj.Metafile, status);
}

QString TPicturePage::DrawPicture(const clipstore::TMetafile* metafile, std::string& status) {
    clear();
    if (metafile == nullptr || metafile->Empty())
        return {};
    const std::vector<std::uint8_t>& bytes = metafile->Bytes();
    QSize natural = TMetafileRenderer::NaturalSize(bytes);
    if (natural.isEmpty() && metafile->Width() > 0 && metafile->Height() > 0)
        natural = QSize(metafile->Width(), metafile->Height());
    const QString sizeText =
        natural.isEmpty() ? QString() : QString("%1 x %2").arg(natural.width()).arg(natural.height());
    if (natural.isEmpty())
        return sizeText;
    // Always fitted to the page.
    const QSize page = size();
    const TImageFit fit = TImageFit::Fit(natural.width(), natural.height(), page.width(), page.height(), 0);
    const TMetafileRenderer::Result drawn =
        TMetafileRenderer::Render(bytes, QSize(std::max(fit.Width, 1), std::max(fit.Height, 1)));
    if (drawn.Image.isNull() || drawn.RecordsDrawn == 0)
        return sizeText; // an empty page, and the picture's size
    setPixmap(QPixmap::fromImage(drawn.Image));
    status = fit.Status;
    return sizeText;
}

} // namespace bx::explorer
