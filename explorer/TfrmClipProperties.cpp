#include "TfrmClipProperties.h"

#include "TClipProperties.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace bx::explorer {

TfrmClipProperties::TfrmClipProperties(shell::TClipProperties& form, std::function<void()> help, QWidget* parent)
    : QDialog(parent), form_(form), help_(std::move(help)) {
    setObjectName("frmClipProperties");
    setWindowTitle(shell::TClipProperties::Caption);
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout();
    title_ = new QLineEdit(QString::fromStdString(form_.Title), this);
    title_->setObjectName("txtTitle");
    fields->addRow("Title", title_);
    sourceUrl_ = new QLineEdit(QString::fromStdString(form_.SourceUrl), this);
    sourceUrl_->setObjectName("txtSourceURL");
    sourceUrl_->setMaxLength(static_cast<int>(shell::TClipProperties::MaxUrlChars));
    fields->addRow("Source URL", sourceUrl_);
    fields->addRow("Creator", new QLabel(QString::fromStdString(form_.Creator()), this));
    fields->addRow("Status", new QLabel(QString::fromStdString(form_.Status()), this));
    fields->addRow("Timestamp", new QLabel(QString::fromStdString(form_.Timestamp()), this));
    fields->addRow("Serial#", new QLabel(QString::fromStdString(form_.Serial()), this));
    auto* sortRow = new QHBoxLayout();
    sortKey_ = new QLineEdit(QString::fromStdString(form_.SortKey), this);
    sortKey_->setObjectName("txtSortKey");
    sortKey_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,10}"), sortKey_));
    sortRow->addWidget(sortKey_);
    sortRow->addWidget(new QLabel("(Max: 2000000000)", this));
    fields->addRow("MySort Key", sortRow);
    layout->addLayout(fields);

    layout->addWidget(new QLabel("Data Formats Present", this));
    formats_ = new QListWidget(this);
    formats_->setObjectName("lvFormats");
    for (const shell::TClipProperties::TFormat& format : form_.Formats) {
        auto* item = new QListWidgetItem(
            QString::fromStdString(format.Name) + "  (" + QString::number(format.Number) + ")", formats_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(format.Pasteable ? Qt::Checked : Qt::Unchecked);
    }
    connect(formats_, &QListWidget::itemChanged, this, [this] { FormatsClicked(); });
    layout->addWidget(formats_);
    warning_ = new QLabel(shell::TClipProperties::WarningText, this);
    warning_->setObjectName("lblWarning");
    warning_->setWordWrap(true);
    warning_->setVisible(form_.WarningShown());
    layout->addWidget(warning_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* helpButton = buttons->addButton("&Help", QDialogButtonBox::HelpRole);
    helpButton->setObjectName("cmdHelp");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Ok(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(helpButton, &QPushButton::clicked, this, [this] {
        if (help_)
            help_();
    });
    layout->addWidget(buttons);
}

void TfrmClipProperties::FormatsClicked() {
    for (int row = 0; row < formats_->count() && static_cast<std::size_t>(row) < form_.Formats.size(); ++row)
        form_.Formats[static_cast<std::size_t>(row)].Pasteable = formats_->item(row)->checkState() == Qt::Checked;
    form_.FormatsClicked();
    warning_->setVisible(form_.WarningShown());
}

void TfrmClipProperties::Ok() {
    form_.Title = title_->text().toStdString();
    form_.SourceUrl = sourceUrl_->text().toStdString();
    form_.SortKey = sortKey_->text().toStdString();
    accept();
}

} // namespace bx::explorer
