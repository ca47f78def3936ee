// xdotool's arguments for a drag with the first mouse button, as a hand makes one: press at start, move
// to end in steps (the drag and drop protocol hears each), release.
#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

namespace bx::explorer::test {

// pointFirst: move the pointer to start and rest there before pressing (else it is there already).
inline QStringList DragArgs(QPoint start, QPoint end, int steps, bool pointFirst = true) {
    QStringList args;
    if (pointFirst)
        args << "mousemove" << QString::number(start.x()) << QString::number(start.y()) << "sleep"
             << "0.2";
    args << "mousedown"
         << "1";
    for (int i = 1; i <= steps; ++i) {
        const QPoint at = start + (end - start) * i / steps;
        args << "sleep"
             << "0.05"
             << "mousemove" << QString::number(at.x()) << QString::number(at.y());
    }
    args << "sleep"
         << "0.3"
         << "mouseup"
         << "1";
    return args;
}

} // namespace bx::explorer::test
