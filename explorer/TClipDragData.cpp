#include "TClipDragData.h"

#include "TBitmap.h"
#include "TClipBytes.h"
#include "TClipContext.h"
#include "TClipObj.h"
#include "TDibImage.h"
#include "THtmlView.h"

#include <QBuffer>
#include <QImage>
#include <QList>
#include <QMimeData>
#include <QString>
#include <QUrl>

#include <span>

namespace bx::explorer {

using clipstore::TClipObj;
using platform::CF_BITMAP;
using platform::CF_DIB;
using platform::CF_HDROP;
using platform::CF_TEXT;
using platform::CF_UNICODETEXT;

namespace {

std::span<const std::uint8_t> AsBytes(const std::string& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

QImage Picture(TClipObj& clip) {
    if (clip.HasFormat(CF_BITMAP)) {
        const TClipObj::GraphicObj obj = clip.GetObj(CF_BITMAP);
        if (obj.Bitmap != nullptr && !obj.Bitmap->Empty())
            return TDibImage::FromDib(obj.Bitmap->Dib());
    }
    if (clip.HasFormat(CF_DIB))
        return TDibImage::FromDib(AsBytes(TClipBytes::Locked(clip, CF_DIB, false)));
    return {};
}

} // namespace

QByteArray TClipDragData::Text(TClipObj& clip) {
    const std::string text = TClipBytes::Locked(clip, CF_TEXT, true);
    if (!text.empty())
        return QByteArray::fromStdString(text);
    const std::string wide = TClipBytes::Locked(clip, CF_UNICODETEXT, false);
    if (wide.size() < 2)
        return {};
    QString unicode =
        QString::fromUtf16(reinterpret_cast<const char16_t*>(wide.data()), static_cast<qsizetype>(wide.size() / 2));
    if (const qsizetype zero = unicode.indexOf(QChar(0)); zero >= 0)
        unicode.truncate(zero);
    return unicode.toUtf8();
}

void TClipDragData::Fill(QMimeData& mime, const std::vector<TClipObj*>& clips) {
    QByteArray text;
    QList<QUrl> files;
    for (TClipObj* clip : clips) {
        if (clip == nullptr)
            continue;
        const QByteArray one = Text(*clip);
        if (!one.isEmpty()) {
            if (!text.isEmpty())
                text += '\n';
            text += one;
        }
        if (clip->HasFormat(CF_HDROP))
            for (const std::string& path : TClipObj::DropFilePaths(AsBytes(TClipBytes::Locked(*clip, CF_HDROP, false))))
                if (!path.empty() && path.front() == '/')
                    files.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
    }
    if (!text.isEmpty()) {
        // Toolkits ask for plain text by either name.
        mime.setData(TextType, text);
        mime.setText(QString::fromUtf8(text));
    }
    if (!files.isEmpty())
        mime.setUrls(files);
    if (clips.size() != 1 || clips.front() == nullptr)
        return;
    TClipObj& clip = *clips.front();
    if (const platform::UINT html = clip.Context().HtmlFormat; html != 0 && clip.HasFormat(html)) {
        const std::string fragment = THtmlView::Fragment(TClipBytes::Locked(clip, html, true));
        if (!fragment.empty())
            mime.setHtml(QString::fromUtf8(fragment.data(), static_cast<qsizetype>(fragment.size())));
    }
    if (const QImage image = Picture(clip); !image.isNull()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (image.save(&buffer, "PNG"))
            mime.setData("image/png", png);
    }
}

} // namespace bx::explorer
