#include "TBitmapPage.h"

#include "PlatformTypes.h"
#include "TBitmap.h"
#include "TClipBytes.h"
#include "TClipObj.h"
#include "TDibImage.h"
#include "TImageFit.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>
#include <span>

namespace bx::explorer {

using clipstore::TClipObj;
using platform::CF_BITMAP;
using platform::CF_DIB;

TBitmapPage::TBitmapPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tsBitmap");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    bar_ = new QWidget(this);
    bar_->setObjectName("tb_Bitmap");
    auto* barLayout = new QHBoxLayout(bar_);
    barLayout->setContentsMargins(2, 2, 2, 2);
    stretch_ = new QCheckBox("&Stretch?", bar_);
    stretch_->setObjectName("cb_MagBitmapStretch");
    stretch_->setChecked(true);
    size_ = new QLabel(bar_);
    size_->setObjectName("pnl_MagBitmapSize");
    barLayout->addWidget(stretch_);
    barLayout->addWidget(size_);
    barLayout->addStretch(1);
    layout->addWidget(bar_);
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    canvas_ = new QWidget();
    image_ = new QLabel(canvas_);
    image_->setObjectName("imgMagnifyBitmap");
    image_->setScaledContents(true);
    image_->installEventFilter(this);
    scroll_->setWidget(canvas_);
    layout->addWidget(scroll_, 1);
    installEventFilter(this);
    connect(stretch_, &QCheckBox::toggled, this, &TBitmapPage::FitNeeded);
}

bool TBitmapPage::Has(TClipObj& clip) {
    return clip.HasFormat(CF_BITMAP) || clip.HasFormat(CF_DIB);
}

void TBitmapPage::Load(TClipObj& clip) {
    const TClipObj::GraphicObj obj = clip.GetObj(CF_BITMAP);
    if (obj.Bitmap != nullptr && !obj.Bitmap->Empty()) {
        bitmap_ = TDibImage::FromDib(obj.Bitmap->Dib());
    } else {
        const std::string dib = TClipBytes::Locked(clip, CF_DIB, false);
        bitmap_ = TDibImage::FromDib(
            std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(dib.data()), dib.size()));
    }
    size_->setText(QString("%1x%2").arg(bitmap_.width()).arg(bitmap_.height()));
}

std::string TBitmapPage::Fit() {
    const int bar = bar_->height();
    const TImageFit fit = stretch_->isChecked()
                              ? TImageFit::Fit(bitmap_.width(), bitmap_.height(), width(), height(), bar)
                              : TImageFit::FullSize(bitmap_.width(), bitmap_.height(), bar);
    image_->setPixmap(QPixmap::fromImage(bitmap_));
    image_->setGeometry(fit.Left, fit.Top - bar, fit.Width, fit.Height);
    canvas_->resize(std::max(fit.Left + fit.Width, scroll_->viewport()->width()),
                    std::max(fit.Top - bar + fit.Height, scroll_->viewport()->height()));
    return fit.Status;
}

QString TBitmapPage::SizeText() const {
    return QString("%1 x %2 Pixels").arg(bitmap_.width()).arg(bitmap_.height());
}

bool TBitmapPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == image_ && event->type() == QEvent::MouseButtonDblClick) {
        stretch_->toggle();
        return true;
    }
    if (watched == this && event->type() == QEvent::Resize)
        emit FitNeeded();
    return QWidget::eventFilter(watched, event);
}

} // namespace bx::explorer
