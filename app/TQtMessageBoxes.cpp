#include "TQtMessageBoxes.h"

#include "LogHook.h"

#include <QMessageBox>
#include <QString>

namespace bx::app {

using namespace platform;

void TQtMessageBoxes::CloseAll() {
    closing_ = true;
    for (QMessageBox* box : open_)
        box->done(QMessageBox::Cancel);
}

MsgResult TQtMessageBoxes::MessageBox(const std::string& text, const std::string& caption, MsgType type,
                                      MsgButtons buttons) {
    if (closing_)
        return MsgResult::Cancel;
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    switch (type) {
    case MsgType::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgType::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgType::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgType::Confirmation:
        box.setIcon(QMessageBox::Question);
        break;
    }
    QMessageBox::StandardButtons set;
    switch (buttons) {
    case MsgButtons::Ok:
        set = QMessageBox::Ok;
        break;
    case MsgButtons::OkCancel:
        set = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case MsgButtons::YesNo:
        set = QMessageBox::Yes | QMessageBox::No;
        break;
    case MsgButtons::YesNoCancel:
        set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    case MsgButtons::RetryCancel:
        set = QMessageBox::Retry | QMessageBox::Cancel;
        break;
    case MsgButtons::AbortRetryIgnore:
        set = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
        break;
    }
    box.setStandardButtons(set);
    const std::string firstLine = text.substr(0, text.find('\n'));
    LogMsg(LogDialogs, "MessageBox", "Open: " + caption + ": " + firstLine);
    if (BeforeBox)
        BeforeBox();
    open_.push_back(&box);
    const int answer = box.exec();
    open_.pop_back();
    if (AfterBox)
        AfterBox();
    LogMsg(LogDialogs, "MessageBox", "Closed: " + caption);
    if (closing_)
        return MsgResult::Cancel;
    switch (answer) {
    case QMessageBox::Ok:
        return MsgResult::Ok;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    case QMessageBox::Retry:
        return MsgResult::Retry;
    case QMessageBox::Abort:
        return MsgResult::Abort;
    case QMessageBox::Ignore:
        return MsgResult::Ignore;
    default:
        return MsgResult::Cancel;
    }
}

} // namespace bx::app
