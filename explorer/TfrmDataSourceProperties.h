#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace bx::clipstore {
class TDataSource;
}

namespace bx::explorer {

// "Data Source Properties": the directory, number and state of a data source, with its title and its
// read-only and auto-load flags to edit. OK writes the three back; Cancel changes nothing.
class TfrmDataSourceProperties : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDataSourceProperties(clipstore::TDataSource& source, QWidget* parent = nullptr);

    QLineEdit* TitleEdit() const { return title_; }
    QCheckBox* ReadOnlyBox() const { return readOnly_; }
    QCheckBox* AutoLoadBox() const { return autoLoad_; }

private:
    void Ok();

    clipstore::TDataSource& source_;
    QLineEdit* title_;
    QCheckBox* readOnly_;
    QCheckBox* autoLoad_;
};

} // namespace bx::explorer
