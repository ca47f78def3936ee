#include "TFilterBox.h"

#include "TClipFilter.h"
#include "TClipListView.h"

#include <QKeyEvent>

namespace bx::explorer {

TFilterBox::TFilterBox(QWidget* parent) : QLineEdit(parent) {
    setObjectName("edFilter");
    setPlaceholderText("Filter (Ctrl+K)");
    setClearButtonEnabled(true);
    setToolTip("Show only the clips whose title or text holds what you type (Escape: all clips)");
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (filter_ != nullptr)
            filter_->SetText(text.toStdString());
    });
}

void TFilterBox::Attach(TClipListView* list, shell::TClipFilter* filter) {
    if (list_ != nullptr)
        list_->removeEventFilter(this);
    filter_ = nullptr;
    clear();
    list_ = list;
    filter_ = filter;
    if (list_ != nullptr)
        list_->installEventFilter(this);
}

void TFilterBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && (!text().isEmpty() || list_ != nullptr)) {
        clear();
        if (list_ != nullptr)
            list_->setFocus();
        return;
    }
    if (event->key() == Qt::Key_Down && list_ != nullptr) {
        list_->setFocus();
        list_->SelectFirstShownRow();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool TFilterBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress && filter_ != nullptr) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers held = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        const QString typed = key->text();
        if (held == Qt::NoModifier && !typed.isEmpty() && typed.at(0).isPrint() && !typed.at(0).isSpace()) {
            setFocus();
            insert(typed);
            return true;
        }
        if (key->key() == Qt::Key_Escape && !text().isEmpty()) {
            clear();
            return true;
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

} // namespace bx::explorer
