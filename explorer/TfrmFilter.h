#pragma once

#include "TFilterEditor.h"

#include <QDialog>

#include <string>

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace bx::cliplink {
class Tfilter;
}

namespace bx::explorer {

// The application profile dialog: the source applications with their switch on the left, the formats
// seen from the selected one with theirs on the right, a status line below. Every tick is stored at
// once; the rules are TFilterEditor's.
class TfrmFilter : public QDialog {
    Q_OBJECT
public:
    TfrmFilter(platform::IRegistry& registry, const cliplink::Tfilter& filter, QWidget* parent = nullptr);
    ~TfrmFilter() override;

    // Fills the lists and selects the application (else the first one).
    void Display(const std::string& application);

    QListWidget* Owners() const { return lvOwners_; }
    QListWidget* Formats() const { return lvFormats_; }
    QString Status() const;

private:
    void DisplayFormats();
    void OwnerTicked(QListWidgetItem* item);
    void FormatTicked(QListWidgetItem* item);
    // The format list is open to changes only for one selected, switched-on application.
    void EnableFormats();
    std::string SelectedOwner() const;

    cliplink::TFilterEditor editor_;
    QListWidget* lvOwners_ = nullptr;
    QLabel* pnlSourceTitle_ = nullptr;
    QListWidget* lvFormats_ = nullptr;
    QLabel* Panel1_ = nullptr;
    bool filling_ = false;
};

} // namespace bx::explorer
