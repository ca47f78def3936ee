#include "TfrmAbout.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace bx::explorer {

TfrmAbout::TfrmAbout(const shell::TAboutInfo& info, QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle("About Brindlex");
    auto* layout = new QVBoxLayout(this);
    text_ = new QLabel(this);
    text_->setObjectName("lblAbout");
    text_->setTextFormat(Qt::PlainText);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QString text;
    for (const std::string& line : info.Lines())
        text += QString::fromStdString(line) + '\n';
    text.chop(1);
    text_->setText(text);
    layout->addWidget(text_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace bx::explorer
