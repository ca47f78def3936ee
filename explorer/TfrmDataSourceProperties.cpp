#include "TfrmDataSourceProperties.h"

#include "TDataSource.h"
#include "TUtf8.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace bx::explorer {

TfrmDataSourceProperties::TfrmDataSourceProperties(clipstore::TDataSource& source, QWidget* parent)
    : QDialog(parent), source_(source) {
    setObjectName("frmDataSourceProperties");
    setWindowTitle("Data Source Properties");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    layout->addLayout(form);
    auto* directory = new QLabel(QString::fromStdString(source.Directory), this);
    directory->setObjectName("lblDirectory");
    directory->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow("Directory:", directory);
    form->addRow("ID", new QLabel(QString::number(source.Number), this));
    form->addRow("Status:", new QLabel(source.Loaded ? "Online" : "Offline", this));
    title_ = new QLineEdit(QString::fromStdString(source.Description), this);
    title_->setObjectName("txtTitle");
    title_->setMaxLength(static_cast<int>(clipstore::TDataSource::MaxDescription));
    form->addRow("Title", title_);
    readOnly_ = new QCheckBox("Read Only?", this);
    readOnly_->setObjectName("chkReadOnly");
    readOnly_->setChecked(source.Read_Only);
    layout->addWidget(readOnly_);
    autoLoad_ = new QCheckBox("Auto Load Data Source At Startup?", this);
    autoLoad_->setObjectName("chkAutoLoad");
    autoLoad_->setChecked(source.AutoLoad);
    layout->addWidget(autoLoad_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Ok(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TfrmDataSourceProperties::Ok() {
    source_.Description =
        clipstore::TUtf8::CutBytes(title_->text().toStdString(), clipstore::TDataSource::MaxDescription);
    source_.Read_Only = readOnly_->isChecked();
    source_.AutoLoad = autoLoad_->isChecked();
    accept();
}

} // namespace bx::explorer
