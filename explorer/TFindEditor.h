#pragma once

#include "IFindEditor.h"

class QPlainTextEdit;

namespace bx::explorer {

// The preview pane's text editor as a search within the shown clip sees it: its text in UTF-8 and the
// selection in bytes of it.
class TFindEditor : public shell::IFindEditor {
public:
    explicit TFindEditor(QPlainTextEdit& editor) : editor_(editor) {}

    std::string Text() const override;
    std::size_t SelStart() const override;
    std::size_t SelLength() const override;
    void SelectAndFocus(std::size_t start, std::size_t length) override;

private:
    QPlainTextEdit& editor_;
};

} // namespace bx::explorer
