#include "TBinaryPage.h"

#include "PlatformTypes.h"
#include "TClipBytes.h"
#include "TClipObj.h"
#include "THexDump.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <string>

namespace bx::explorer {

using platform::CF_BITMAP;
using platform::CF_DIB;
using platform::CF_METAFILEPICT;

TBinaryPage::TBinaryPage(QWidget* parent) : QWidget(parent) {
    setObjectName("tsBinary");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* bar = new QHBoxLayout();
    bar->addWidget(new QLabel("Format To Display As Binary:", this));
    formats_ = new QComboBox(this);
    formats_->setObjectName("cbBinaryDisplayFormats");
    bar->addWidget(formats_, 1);
    layout->addLayout(bar);
    dump_ = new THexDump(this);
    dump_->setObjectName("HexDump");
    layout->addWidget(dump_, 1);
    connect(formats_, &QComboBox::currentIndexChanged, this, &TBinaryPage::FormatChosen);
}

bool TBinaryPage::Load(clipstore::TClipObj& clip) {
    {
        QSignalBlocker block(formats_);
        formats_->clear();
        for (int i = 0; i < clip.FormatCount(); ++i) {
            const int number = clip.GetFormatNum(i);
            QString name = QString::fromStdString(clip.GetFormatName(i));
            const bool graphic = number == static_cast<int>(CF_BITMAP) || number == static_cast<int>(CF_METAFILEPICT) ||
                                 number == static_cast<int>(CF_DIB);
            if (graphic)
                name += " (Not Displayable)";
            formats_->addItem(name, graphic ? 0 : number);
        }
        if (formats_->count() > 0)
            formats_->setCurrentIndex(0);
    }
    bool dumpable = false;
    for (int i = 0; i < formats_->count() && !dumpable; ++i)
        dumpable = formats_->itemData(i).toInt() > 0;
    return dumpable;
}

void TBinaryPage::ShowFormat(clipstore::TClipObj* clip) {
    const int number = formats_->currentData().toInt();
    dump_->ClearAddress();
    buffer_.clear();
    if (clip != nullptr && number > 0) {
        const std::string bytes = TClipBytes::Locked(*clip, static_cast<platform::UINT>(number), false);
        buffer_.assign(bytes.begin(), bytes.end());
    }
    if (!buffer_.empty()) {
        dump_->SetAddress(buffer_);
        dump_->SetDataSize(static_cast<int>(buffer_.size()));
    } else {
        dump_->SetDataSize(0);
    }
    dump_->SetTopLine(0);
}

} // namespace bx::explorer
