#include "TfrmCollProperties.h"

#include "TCollectionProperties.h"
#include "TImageLists.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace bx::explorer {

namespace {

QIcon CollectionIcon(int index) {
    const QImage image = TImageLists::Program().Image(TImageLists::Collections, index);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

QLineEdit* Edit(QWidget* parent, const char* name, const std::string& text) {
    auto* edit = new QLineEdit(QString::fromStdString(text), parent);
    edit->setObjectName(name);
    return edit;
}

} // namespace

TfrmCollProperties::TfrmCollProperties(shell::TCollectionProperties& form,
                                       std::function<std::optional<int>(int)> pickIcon, QWidget* parent)
    : QDialog(parent), form_(form), pickIcon_(std::move(pickIcon)) {
    setObjectName("frmCollProperties");
    setWindowTitle("Collection Properties");
    auto* layout = new QVBoxLayout(this);
    auto* info = new QFormLayout();
    layout->addLayout(info);
    info->addRow("# of  Items:", new QLabel(QString::number(form.ItemCount()), this));
    info->addRow("Status:", new QLabel(QString::fromStdString(form.StatusText()), this));
    auto* path = new QLabel(QString::fromStdString(form.DataDirectory()), this);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    info->addRow("Data Directory:", path);
    title_ = Edit(this, "txtTitle", form.Title());
    auto* titleLabel = new QLabel("&Title", this);
    titleLabel->setBuddy(title_);
    info->addRow(titleLabel, title_);
    connect(title_, &QLineEdit::textEdited, this, [this](const QString& text) { form_.SetTitle(text.toStdString()); });

    favorite_ = new QCheckBox("&Favorite Collection?", this);
    favorite_->setObjectName("chkFavorite");
    favorite_->setChecked(form.Favorite());
    connect(favorite_, &QCheckBox::clicked, this, [this](bool on) { form_.SetFavorite(on); });
    layout->addWidget(favorite_);

    auto* garbage = new QGroupBox("Garbage Avoidance", this);
    auto* garbageLayout = new QVBoxLayout(garbage);
    accept_ = new QRadioButton("&Accept New Data From Clipboard", garbage);
    accept_->setObjectName("optAccept");
    divert_ = new QRadioButton("&Divert New Clips To Some Other Collection.", garbage);
    divert_->setObjectName("optDivert");
    (form.AcceptNewClips() ? accept_ : divert_)->setChecked(true);
    allowDuplicates_ = new QCheckBox("Allow Capture Of Duplicate Clips.", garbage);
    allowDuplicates_->setObjectName("chkAllowDuplicates");
    allowDuplicates_->setChecked(form.AllowDuplicates());
    for (QWidget* w :
         {static_cast<QWidget*>(accept_), static_cast<QWidget*>(divert_), static_cast<QWidget*>(allowDuplicates_)})
        garbageLayout->addWidget(w);
    connect(accept_, &QRadioButton::clicked, this, [this] {
        form_.SetAcceptNewClips(true);
        Sync();
    });
    connect(divert_, &QRadioButton::clicked, this, [this] {
        form_.SetAcceptNewClips(false);
        Sync();
    });
    connect(allowDuplicates_, &QCheckBox::clicked, this, [this](bool on) { form_.SetAllowDuplicates(on); });
    layout->addWidget(garbage);
    layout->addWidget(BuildRetention());

    auto* bottom = new QFormLayout();
    icon_ = new QPushButton(this);
    icon_->setObjectName("cmdIcon");
    icon_->setIconSize(TImageLists::ImageSize(TImageLists::Collections));
    connect(icon_, &QPushButton::clicked, this, [this] {
        if (!pickIcon_)
            return;
        if (const auto picked = pickIcon_(form_.ImageIndex())) {
            form_.SetImageIndex(*picked);
            Sync();
        }
    });
    bottom->addRow("Toolbar Icon", icon_);
    sortKey_ = Edit(this, "txtSortKey", form.SortKey());
    connect(sortKey_, &QLineEdit::textEdited, this,
            [this](const QString& text) { form_.SetSortKey(text.toStdString()); });
    bottom->addRow("Sort Key", sortKey_);
    layout->addLayout(bottom);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Ok(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Sync();
}

QWidget* TfrmCollProperties::BuildRetention() {
    auto* group = new QGroupBox("Automatically &Delete Old Items (During Shutdown):", this);
    auto* grid = new QVBoxLayout(group);
    const char* texts[3] = {"When the number of items exceeds: ", "When items are older than ",
                            "Never - No automatic deletion. (Safe Collection)"};
    const char* names[3] = {"optByNumber", "optByAge", "optSafe"};
    auto* buttons = new QButtonGroup(group);
    maxItems_ = Edit(group, "txtMaxItems", form_.MaxItems());
    maxDays_ = Edit(group, "txtMaxDays", form_.MaxDays());
    connect(maxItems_, &QLineEdit::textEdited, this,
            [this](const QString& text) { form_.SetMaxItems(text.toStdString()); });
    connect(maxDays_, &QLineEdit::textEdited, this,
            [this](const QString& text) { form_.SetMaxDays(text.toStdString()); });
    for (int i = 0; i < 3; ++i) {
        auto* row = new QHBoxLayout();
        retention_[i] = new QRadioButton(texts[i], group);
        retention_[i]->setObjectName(names[i]);
        retention_[i]->setIcon(CollectionIcon(shell::TCollectionProperties::RetentionIcons[i]));
        retention_[i]->setChecked(form_.Retention() == i);
        buttons->addButton(retention_[i], i);
        row->addWidget(retention_[i]);
        if (i == 0)
            row->addWidget(maxItems_);
        if (i == 1) {
            row->addWidget(maxDays_);
            row->addWidget(new QLabel("days", group));
        }
        row->addStretch();
        grid->addLayout(row);
        connect(retention_[i], &QRadioButton::clicked, this, [this, i] {
            form_.ChooseRetention(static_cast<std::uint8_t>(i));
            Sync();
        });
    }
    return group;
}

void TfrmCollProperties::Sync() {
    allowDuplicates_->setEnabled(form_.AllowDuplicatesEnabled());
    maxItems_->setEnabled(form_.MaxItemsEnabled());
    maxDays_->setEnabled(form_.MaxDaysEnabled());
    icon_->setIcon(CollectionIcon(form_.ImageIndex()));
    icon_->setText(QString::number(form_.ImageIndex()));
}

void TfrmCollProperties::Ok() {
    if (form_.ConfirmOk())
        accept();
}

} // namespace bx::explorer
