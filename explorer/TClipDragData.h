#pragma once

#include <QByteArray>

#include <vector>

class QMimeData;

namespace bx::clipstore {
class TClipObj;
}

namespace bx::explorer {

// What a drag of clips offers other programs, as the clipboard would offer the clips: their texts as
// UTF-8 plain text (each read from its data file when it lives there), and of a single clip its HTML,
// its picture as PNG and its files as a URI list (the files of every dragged clip). Every byte comes
// from a clip, which is untrusted: a part that cannot be read is left out.
class TClipDragData {
public:
    static constexpr const char* TextType = "text/plain;charset=utf-8";
    static constexpr const char* InternalType = "application/x-brindlex-clips";

    // Adds the formats of clips (in list order) to mime.
    static void Fill(QMimeData& mime, const std::vector<clipstore::TClipObj*>& clips);
    // The text of one clip as UTF-8; empty when it has none.
    static QByteArray Text(clipstore::TClipObj& clip);
};

} // namespace bx::explorer
