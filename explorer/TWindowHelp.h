#pragma once

#include "THelpTopics.h"

#include <QObject>

#include <memory>

class QMenu;
class QWidget;

namespace bx::platform {
class IDesktop;
}

namespace bx::shell {
class TBrindlexCore;
class THelp;
} // namespace bx::shell

namespace bx::explorer {

class TfrmBX;

// The window's help: "&Help" (F1) opens the topic of the window's help context (the explorer view's or the
// traditional view's, set as the layout is applied); "What's This?" in a context menu opens the topic of
// the control under the menu: the help context a control carries in its "helpContext" property (a tool
// button's tag), or its nearest parent's, else the window's. The requests go to shell::THelp.
class TWindowHelp : public QObject {
    Q_OBJECT
public:
    static constexpr const char* ContextProperty = "helpContext";

    explicit TWindowHelp(TfrmBX& window);
    ~TWindowHelp() override;

    // Help needs the core's status line, boxes and folders and the desktop's shell (nullptr: none).
    void SetCore(shell::TBrindlexCore* core, platform::IDesktop* desktop);

    void SetWindowContext(int context) { windowContext_ = context; }
    int WindowContext() const { return windowContext_; }
    // The help context of a control: its own or its nearest parent's, else the window's.
    int ContextOf(const QWidget* control) const;
    // Gives a control its help context.
    static void SetContext(QWidget& control, int context);

    // "&Help", F1: the window's topic.
    void ShowWindowTopic();
    // A topic by its help context (Flashpick's help button).
    void ShowTopic(int context);
    // "What's This?" on a control: its topic.
    void WhatsThis(const QWidget* control);
    // Adds "What's This?" for the control to a context menu.
    void AddWhatsThis(QMenu& menu, const QWidget* control);
    // A context menu of its own, with "What's This?", for a control that has none.
    void GiveWhatsThisMenu(QWidget& control);

private:
    TfrmBX& window_;
    shell::TBrindlexCore* core_ = nullptr;
    std::unique_ptr<shell::THelp> help_;
    int windowContext_ = shell::THelpTopics::TraditionalView;
};

} // namespace bx::explorer
