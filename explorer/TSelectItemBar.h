#pragma once

#include <QStringList>
#include <QWidget>

namespace bx::explorer {

// The one-line bar above the clip list that names the current clip or shows a message. Clip mode: the
// window's colours, the clip's format images and its title. Message mode: the button face with blue text,
// a small font for long texts.
class TSelectItemBar : public QWidget {
    Q_OBJECT
public:
    explicit TSelectItemBar(QWidget* parent = nullptr);

    void ShowClip(const QString& title, const QStringList& formatImages);
    void ShowMessage(const QString& text);
    void SetShowTypeIcons(bool on);
    // Nothing is drawn while the program is busy loading or closing.
    void SetSuppressed(bool on);

    QString Text() const { return text_; }
    bool MessageMode() const { return messageMode_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QStringList images_;
    bool messageMode_ = true;
    bool showTypeIcons_ = true;
    bool suppressed_ = false;
};

} // namespace bx::explorer
