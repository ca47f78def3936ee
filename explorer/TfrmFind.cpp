#include "TfrmFind.h"

#include "THelpTopics.h"
#include "TWindowHelp.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace bx::explorer {

using shell::TFind;

TfrmFind::TfrmFind(QWidget* parent, std::function<void()> help, std::function<void(QDialog&)> beforeExec)
    : QDialog(parent), beforeExec_(std::move(beforeExec)) {
    setObjectName("frmFind");
    setWindowTitle("Find");
    TWindowHelp::SetContext(*this, shell::THelpTopics::Find);
    auto* layout = new QVBoxLayout(this);
    text_ = new QLineEdit(this);
    text_->setObjectName("edFind");
    text_->setMaxLength(static_cast<int>(TFind::MaxText));
    layout->addWidget(text_);
    auto* group = new QGroupBox("Scope Of Search", this);
    group->setObjectName("grpScope");
    auto* groupLayout = new QVBoxLayout(group);
    currentClip_ = new QRadioButton("Search The &Current Clip", group);
    currentClip_->setObjectName("rbCurrentClip");
    currentCollection_ = new QRadioButton("Search The C&urrent Collection", group);
    currentCollection_->setObjectName("rbCurrentCollection");
    allCollections_ = new QRadioButton("Search &All Collections", group);
    allCollections_->setObjectName("rbAllCollections");
    for (QRadioButton* button : {currentClip_, currentCollection_, allCollections_})
        groupLayout->addWidget(button);
    layout->addWidget(group);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("&OK", QDialogButtonBox::AcceptRole)->setObjectName("btnOK");
    buttons->addButton("&Cancel", QDialogButtonBox::RejectRole)->setObjectName("btnCancel");
    buttons->addButton("&Help", QDialogButtonBox::HelpRole)->setObjectName("btnHelp");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [help = std::move(help)] {
        if (help)
            help();
    });
    layout->addWidget(buttons);
}

QRadioButton* TfrmFind::ScopeButton(int scope) const {
    switch (scope) {
    case TFind::CurrentClip:
        return currentClip_;
    case TFind::AllCollections:
        return allCollections_;
    default:
        return currentCollection_;
    }
}

bool TfrmFind::Execute(TFind::TDialogState& state) {
    text_->setText(QString::fromStdString(state.Text));
    text_->selectAll();
    text_->setFocus();
    currentClip_->setEnabled(state.CurrentClipEnabled);
    ScopeButton(state.Checked)->setChecked(true);
    if (beforeExec_)
        beforeExec_(*this);
    const bool ok = exec() == QDialog::Accepted;
    state.Text = text_->text().toStdString();
    state.Checked = currentClip_->isChecked()      ? TFind::CurrentClip
                    : allCollections_->isChecked() ? TFind::AllCollections
                                                   : TFind::CurrentCollection;
    return ok;
}

} // namespace bx::explorer
