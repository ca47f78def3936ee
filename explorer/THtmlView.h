#pragma once

#include <QTextBrowser>

#include <string>
#include <string_view>

namespace bx::explorer {

// Shows a clip's HTML (or its text) and nothing else: a clip's HTML is untrusted, so the view never
// loads anything it refers to (no images, style sheets or frames, remote or local), runs no scripts and
// follows no links.
class THtmlView : public QTextBrowser {
    Q_OBJECT
public:
    explicit THtmlView(QWidget* parent = nullptr);

    // Shows an "HTML Format" block: the part between its fragment markers (the whole HTML part when the
    // markers are missing or out of range).
    void ShowHtmlFormat(std::string_view block);
    void ShowText(const std::string& text);
    // How many resources the shown content asked for (each one refused).
    int RefusedRequests() const { return refused_; }

    // The HTML fragment of an "HTML Format" block; empty when the block holds no HTML.
    static std::string Fragment(std::string_view block);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    int refused_ = 0;
};

} // namespace bx::explorer
