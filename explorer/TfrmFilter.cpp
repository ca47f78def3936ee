#include "TfrmFilter.h"

#include "LogHook.h"
#include "TImageLists.h"
#include "Tfilter.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>

namespace bx::explorer {

namespace {

// A clip type's image at both resolutions.
QIcon FormatIcon(int image) {
    const TImageLists& lists = TImageLists::Program();
    QIcon icon(QPixmap::fromImage(lists.Image(TImageLists::Clips, image)));
    icon.addPixmap(QPixmap::fromImage(lists.Image(TImageLists::Clips, image, 2.0)));
    return icon;
}

QListWidgetItem* Row(const cliplink::TFilterEditor::Row& row, QListWidget* list) {
    auto* item = new QListWidgetItem(QString::fromStdString(row.name), list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(row.ticked ? Qt::Checked : Qt::Unchecked);
    return item;
}

} // namespace

TfrmFilter::TfrmFilter(platform::IRegistry& registry, const cliplink::Tfilter& filter, QWidget* parent)
    : QDialog(parent), editor_(registry, filter) {
    platform::LogMsg(platform::LogDialogs, "Filter", "FormCreate");
    setObjectName("frmFilter");
    setWindowTitle("Application Profile");
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("Source Applications", this), 0, 0);
    pnlSourceTitle_ = new QLabel("Available Formats From", this);
    pnlSourceTitle_->setObjectName("pnlSourceTitle");
    layout->addWidget(pnlSourceTitle_, 0, 1);
    lvOwners_ = new QListWidget(this);
    lvOwners_->setObjectName("lvOwners");
    lvFormats_ = new QListWidget(this);
    lvFormats_->setObjectName("lvFormats");
    lvFormats_->setIconSize(TImageLists::ImageSize(TImageLists::Clips));
    layout->addWidget(lvOwners_, 1, 0);
    layout->addWidget(lvFormats_, 1, 1);
    Panel1_ = new QLabel(this);
    Panel1_->setObjectName("Panel1");
    Panel1_->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(Panel1_, 2, 0, 1, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons, 3, 0, 1, 2);
    resize(560, 420);

    connect(lvOwners_, &QListWidget::currentRowChanged, this, [this] {
        if (!filling_)
            DisplayFormats();
    });
    connect(lvOwners_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!filling_)
            OwnerTicked(item);
    });
    connect(lvFormats_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!filling_)
            FormatTicked(item);
    });
}

TfrmFilter::~TfrmFilter() {
    platform::LogMsg(platform::LogDialogs, "Filter", "FormClose");
}

QString TfrmFilter::Status() const {
    return Panel1_->text();
}

std::string TfrmFilter::SelectedOwner() const {
    const QListWidgetItem* item = lvOwners_->currentItem();
    return item != nullptr ? item->text().toStdString() : std::string();
}

void TfrmFilter::Display(const std::string& application) {
    filling_ = true;
    lvOwners_->clear();
    for (const cliplink::TFilterEditor::Row& row : editor_.Owners())
        Row(row, lvOwners_);
    lvOwners_->setCurrentRow(editor_.Display(application));
    filling_ = false;
    DisplayFormats();
}

void TfrmFilter::DisplayFormats() {
    const std::string owner = SelectedOwner();
    filling_ = true;
    lvFormats_->clear();
    pnlSourceTitle_->setText("Available Formats From " + QString::fromStdString(owner));
    if (!owner.empty()) {
        for (const cliplink::TFilterEditor::Row& row : editor_.Formats(owner))
            Row(row, lvFormats_)->setIcon(FormatIcon(row.image));
        if (lvFormats_->count() > 0)
            lvFormats_->setCurrentRow(0);
        Panel1_->setText(QString::fromStdString(cliplink::TFilterEditor::LoadedText(owner)));
    }
    filling_ = false;
    EnableFormats();
}

void TfrmFilter::EnableFormats() {
    const QListWidgetItem* item = lvOwners_->currentItem();
    lvFormats_->setEnabled(item != nullptr && lvOwners_->selectedItems().size() <= 1 &&
                           item->checkState() == Qt::Checked);
}

void TfrmFilter::OwnerTicked(QListWidgetItem* item) {
    const std::string text = editor_.SetOwner(item->text().toStdString(), item->checkState() == Qt::Checked);
    if (item == lvOwners_->currentItem())
        DisplayFormats();
    EnableFormats();
    if (!text.empty())
        Panel1_->setText(QString::fromStdString(text));
}

void TfrmFilter::FormatTicked(QListWidgetItem* item) {
    const std::string owner = SelectedOwner();
    if (owner.empty())
        return;
    const std::string text = editor_.SetFormat(owner, item->text().toStdString(), item->checkState() == Qt::Checked);
    if (!text.empty())
        Panel1_->setText(QString::fromStdString(text));
}

} // namespace bx::explorer
