#include "TQtCollectionDialogs.h"

#include "TfrmBitmapPicker.h"
#include "TfrmCollProperties.h"
#include "TfrmDataSourceProperties.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>

namespace bx::explorer {

namespace {

// Both halves of the stacking bracket, on every path.
class TBracket {
public:
    explicit TBracket(const std::function<void(bool)>& stacking) : stacking_(stacking) {
        if (stacking_)
            stacking_(true);
    }
    ~TBracket() {
        if (stacking_)
            stacking_(false);
    }
    TBracket(const TBracket&) = delete;
    TBracket& operator=(const TBracket&) = delete;

private:
    const std::function<void(bool)>& stacking_;
};

} // namespace

TQtCollectionDialogs::TQtCollectionDialogs(QWidget& parent, std::function<void(bool open)> stacking)
    : parent_(parent), stacking_(std::move(stacking)) {}

int TQtCollectionDialogs::Run(QDialog& dialog) {
    const TBracket bracket(stacking_);
    if (BeforeDialog)
        BeforeDialog(dialog);
    return dialog.exec();
}

std::optional<std::string> TQtCollectionDialogs::TextPrompt(const std::string& caption, const std::string& prompt,
                                                            const std::string& preset) {
    QInputDialog dialog(&parent_);
    dialog.setObjectName("dlgTextPrompt");
    dialog.setWindowTitle(QString::fromStdString(caption));
    dialog.setLabelText(QString::fromStdString(prompt));
    dialog.setTextValue(QString::fromStdString(preset));
    if (Run(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue().toStdString();
}

bool TQtCollectionDialogs::CollectionProperties(shell::TCollectionProperties& form) {
    TfrmCollProperties dialog(
        form, [this](int current) { return PickBitmap(current); }, &parent_);
    return Run(dialog) == QDialog::Accepted;
}

int TQtCollectionDialogs::DataSourceProperties(clipstore::TDataSource& source) {
    TfrmDataSourceProperties dialog(source, &parent_);
    return Run(dialog) == QDialog::Accepted ? DataSourceOk : DataSourceCancel;
}

std::optional<int> TQtCollectionDialogs::PickBitmap(int current) {
    TfrmBitmapPicker dialog(current, &parent_);
    if (Run(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.Chosen();
}

std::optional<std::string> TQtCollectionDialogs::PickFolder(const std::string& caption, const std::string& start,
                                                            bool mayCreate) {
    const TBracket bracket(stacking_);
    QFileDialog::Options options = QFileDialog::ShowDirsOnly;
    // Without creating folders: the dialog's model is read-only.
    if (!mayCreate)
        options |= QFileDialog::ReadOnly;
    const QString dir = QFileDialog::getExistingDirectory(&parent_, QString::fromStdString(caption),
                                                          QString::fromStdString(start), options);
    if (dir.isEmpty())
        return std::nullopt;
    return dir.toStdString();
}

} // namespace bx::explorer
