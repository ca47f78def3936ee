#pragma once

#include <QImage>
#include <QWidget>

#include <string>

class QCheckBox;
class QLabel;
class QScrollArea;

namespace bx::clipstore {
class TClipObj;
}

namespace bx::explorer {

// The preview pane's Bitmap page: the clip's bitmap under a bar with the "Stretch?" box and the bitmap's
// size, stretched to the page or at its own size with scroll bars. A double click on the image flips the
// box.
class TBitmapPage : public QWidget {
    Q_OBJECT
public:
    explicit TBitmapPage(QWidget* parent = nullptr);

    static bool Has(clipstore::TClipObj& clip);
    // Reads the clip's bitmap (from its bitmap, else from its DIB); the page is drawn by Fit().
    void Load(clipstore::TClipObj& clip);
    void Forget() { bitmap_ = QImage(); }
    bool Empty() const { return bitmap_.isNull(); }
    // Places the bitmap as the box says; returns the status text ("Image Scaled To N %", ...).
    std::string Fit();
    // The bitmap's size for the status bar.
    QString SizeText() const;

    QCheckBox* StretchBox() const { return stretch_; }
    QLabel* Image() const { return image_; }

signals:
    // The page's size changed, or the "Stretch?" box: the bitmap is to be placed again.
    void FitNeeded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* bar_ = nullptr;
    QCheckBox* stretch_ = nullptr;
    QLabel* size_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QWidget* canvas_ = nullptr;
    QLabel* image_ = nullptr;
    QImage bitmap_;
};

} // namespace bx::explorer
