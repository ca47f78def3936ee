#pragma once

#include <QObject>
#include <QPoint>

class QMimeData;
class QDropEvent;
class QTreeView;

namespace bx::shell {
class TBrindlexCore;
class TClipMover;
class TTreeDrag;
} // namespace bx::shell

namespace bx::explorer {

// Dragging in the collection tree: a node dragged with the left button carries NodeMime; nodes take
// what TTreeDrag::CanDrop allows (clips from the clip list, carrying ClipsMime, or a node), a collapsed
// node opens while the drag passes over it, and a drop moves the clips (with the right button: the
// menu "&Copy Here" / "&Move Here") or the collection.
class TTreeDropFilter : public QObject {
    Q_OBJECT
public:
    static constexpr const char* ClipsMime = "application/x-brindlex-clips";
    static constexpr const char* NodeMime = "application/x-brindlex-node";

    TTreeDropFilter(QTreeView& tree, shell::TBrindlexCore& core, shell::TTreeDrag& drag, shell::TClipMover& mover);
    ~TTreeDropFilter() override;

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int NodeAt(QPoint pos) const;
    // May what data carries be dropped at pos? Opens a collapsed node there and shows a refusal's reason.
    bool Allowed(const QMimeData* data, QPoint pos);
    void Drop(QDropEvent& event);
    void StartNodeDrag();

    QTreeView& tree_;
    shell::TBrindlexCore& core_;
    shell::TTreeDrag& drag_;
    shell::TClipMover& mover_;
    QPoint pressedAt_;
    bool pressed_ = false;
};

} // namespace bx::explorer
