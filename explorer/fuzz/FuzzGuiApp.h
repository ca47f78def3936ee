// The explorer's fuzz targets draw and lay out text, which needs a GUI application: one on the
// offscreen platform for the whole run, made before the first input.
#pragma once

#include <QGuiApplication>

#include <cstdlib>
#include <memory>

namespace bx::explorer::fuzz {

inline void MakeGuiApp(int* argc, char*** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
}

} // namespace bx::explorer::fuzz
