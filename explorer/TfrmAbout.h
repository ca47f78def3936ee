#pragma once

#include "TAboutInfo.h"

#include <QDialog>

class QLabel;

namespace bx::explorer {

// The About box: the program's version, its data folders, what it holds, and the licences.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    TfrmAbout(const shell::TAboutInfo& info, QWidget* parent);
    QLabel* Text() const { return text_; }

private:
    QLabel* text_ = nullptr;
};

} // namespace bx::explorer
