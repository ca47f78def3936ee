// A text window for the X11 paste tests, acting as the user's editor: a QPlainTextEdit that takes the
// focus. It prints "window ID" (its X window) once it is shown, "focused" each time it gets the focus,
// and "text TEXT" after every change of its text (percent-encoded, so that a line break stays in its
// line). Ctrl+V pastes the clipboard's text as in any Qt program. It runs until it is closed or killed.
#include <QApplication>
#include <QPlainTextEdit>
#include <QWindow>

#include <iostream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QPlainTextEdit editor;
    editor.setWindowTitle("Brindlex paste target");
    editor.resize(480, 240);
    QObject::connect(&editor, &QPlainTextEdit::textChanged, [&editor] {
        std::cout << "text " << editor.toPlainText().toUtf8().toPercentEncoding().toStdString() << std::endl;
    });
    QObject::connect(&app, &QGuiApplication::focusWindowChanged, [](QWindow* window) {
        if (window != nullptr)
            std::cout << "focused" << std::endl;
    });
    editor.show();
    editor.activateWindow();
    editor.setFocus();
    std::cout << "window " << editor.winId() << std::endl;
    return QApplication::exec();
}
