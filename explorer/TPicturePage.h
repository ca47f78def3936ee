#pragma once

#include <QLabel>

#include <string>

namespace bx::clipstore {
class TClipObj;
class TMetafile;
} // namespace bx::clipstore

namespace bx::explorer {

// The preview pane's Picture page: the clip's metafile (enhanced, else Windows), drawn fitted to the page
// when the page becomes active.
class TPicturePage : public QLabel {
    Q_OBJECT
public:
    explicit TPicturePage(QWidget* parent = nullptr);

    static bool Has(clipstore::TClipObj& clip);
    // Draws the clip's metafile; returns the picture's size for the status bar. status: the fit's status
    // text once a picture was drawn, else unchanged.
    QString Show(clipstore::TClipObj& clip, std::string& status);

private:
    QString DrawPicture(const clipstore::TMetafile* metafile, std::string& status);
};

} // namespace bx::explorer
