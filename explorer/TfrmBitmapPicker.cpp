#include "TfrmBitmapPicker.h"

#include "TImageLists.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace bx::explorer {

namespace {
constexpr int IconRole = Qt::UserRole + 1;
}

TfrmBitmapPicker::TfrmBitmapPicker(int current, QWidget* parent) : QDialog(parent), current_(current) {
    setObjectName("frmBitmapPicker");
    setWindowTitle("Select A Bitmap");
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel("Choose an icon. (Double-click here to show all images.)", this);
    label_->setObjectName("lblShowAll");
    label_->installEventFilter(this);
    layout->addWidget(label_);
    grid_ = new QTableWidget(this);
    grid_->setObjectName("grdBitmaps");
    grid_->setColumnCount(Columns);
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const QSize size = TImageLists::ImageSize(TImageLists::Collections) + QSize(8, 8);
    grid_->horizontalHeader()->setDefaultSectionSize(size.width());
    grid_->verticalHeader()->setDefaultSectionSize(size.height());
    grid_->setIconSize(TImageLists::ImageSize(TImageLists::Collections));
    layout->addWidget(grid_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Choose(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this] { Choose(); });
    Fill(FirstShown);
    resize(Columns * size.width() + 40, 6 * size.height() + 90);
}

void TfrmBitmapPicker::Fill(int first) {
    first_ = first;
    const TImageLists& images = TImageLists::Program();
    const int count = std::max(0, images.Count(TImageLists::Collections) - first);
    grid_->clear();
    grid_->setRowCount((count + Columns - 1) / Columns);
    for (int i = 0; i < count; ++i) {
        const int icon = first + i;
        const QImage image = images.Image(TImageLists::Collections, icon);
        if (image.isNull())
            continue;
        auto* item = new QTableWidgetItem(QIcon(QPixmap::fromImage(image)), QString());
        item->setData(IconRole, icon);
        item->setToolTip(QString::number(icon));
        grid_->setItem(i / Columns, i % Columns, item);
        if (icon == current_)
            grid_->setCurrentItem(item);
    }
}

void TfrmBitmapPicker::ShowAll() {
    setWindowTitle("Now Showing ALL Images");
    Fill(0);
}

bool TfrmBitmapPicker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == label_ && event->type() == QEvent::MouseButtonDblClick) {
        ShowAll();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<int> TfrmBitmapPicker::CurrentIcon() const {
    const QTableWidgetItem* item = grid_->currentItem();
    if (item == nullptr || !item->isSelected() || !item->data(IconRole).isValid())
        return std::nullopt;
    return item->data(IconRole).toInt();
}

void TfrmBitmapPicker::Choose() {
    chosen_ = CurrentIcon();
    if (chosen_)
        accept();
}

} // namespace bx::explorer
