#include "TQtDataFolderDialog.h"

#include "TChooseDataFolder.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QVBoxLayout>

#include <cstdlib>

namespace bx::app {

int TQtDataFolderDialog::ChooseDataFolder(std::string& directory) {
    shell::TChooseDataFolder logic(
        boxes_,
        [](const std::string& start) -> std::optional<std::string> {
            const QString picked = QFileDialog::getExistingDirectory(nullptr, "Choose Data Storage Location",
                                                                     QString::fromStdString(start));
            if (picked.isEmpty())
                return std::nullopt;
            return picked.toStdString();
        },
        directory);

    QDialog dialog;
    dialog.setWindowTitle(QString::fromStdString(logic.Caption()));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel("Brindlex keeps your clips in a folder of your own. We recommend:", &dialog));
    auto* chosen = new QLabel(QString::fromStdString(logic.SuggestedDirectory()), &dialog);
    chosen->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(chosen);
    auto* useDefault = new QRadioButton("Use this &default data storage location", &dialog);
    auto* chooseOwn = new QRadioButton("Let me &choose my own data storage location", &dialog);
    layout->addWidget(useDefault);
    layout->addWidget(chooseOwn);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addWidget(buttons);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    auto refresh = [&] {
        chosen->setText(QString::fromStdString(logic.Choice()));
        ok->setEnabled(logic.OkEnabled());
    };
    refresh();
    QObject::connect(useDefault, &QRadioButton::clicked, &dialog, [&] {
        logic.UseDefault();
        refresh();
    });
    QObject::connect(chooseOwn, &QRadioButton::clicked, &dialog, [&] {
        logic.ChooseOwn();
        refresh();
    });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        logic.Ok();
        dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    dialog.exec();
    // The program cannot run without a folder for its data: a user who declines may leave.
    if (logic.Result() != IDataFolderDialog::Confirmed &&
        boxes_.MessageBox("Brindlex needs a folder for its data.  Quit Brindlex?", "Brindlex",
                          platform::MsgType::Confirmation, platform::MsgButtons::YesNo) == platform::MsgResult::Yes)
        std::exit(0);
    if (logic.Result() == IDataFolderDialog::Confirmed)
        directory = logic.Choice();
    return logic.Result();
}

} // namespace bx::app
