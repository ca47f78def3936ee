#pragma once

#include <QWidget>

#include <cstdint>
#include <vector>

class QComboBox;

namespace bx::clipstore {
class TClipObj;
}

namespace bx::explorer {

class THexDump;

// The preview pane's Binary page: a hex dump of the format chosen in the list of the clip's formats.
// Graphics are kept as pictures, not bytes: they are listed as not displayable.
class TBinaryPage : public QWidget {
    Q_OBJECT
public:
    explicit TBinaryPage(QWidget* parent = nullptr);

    // Lists the clip's formats and chooses the first; true when one of them can be dumped.
    bool Load(clipstore::TClipObj& clip);
    // Dumps the chosen format of the clip (nothing without a clip).
    void ShowFormat(clipstore::TClipObj* clip);

    QComboBox* Formats() const { return formats_; }
    THexDump* Dump() const { return dump_; }

signals:
    // The user chose another format.
    void FormatChosen();

private:
    QComboBox* formats_ = nullptr;
    THexDump* dump_ = nullptr;
    std::vector<std::uint8_t> buffer_;
};

} // namespace bx::explorer
