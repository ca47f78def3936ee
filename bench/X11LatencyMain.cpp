// brindlex-x11-bench: on the real X server ($DISPLAY, e.g. under xvfb-run), for a 1 KB text and a
// 1920 x 1080 picture (PNG, read as a bitmap):
// - the time from the clipboard change reaching the program (the X server's owner notification, handed to
//   the first viewer) to the change being read: the clipboard opened, every format of the capture read,
//   the clipboard closed; each copied by xclip; the viewer's configured delay is not part of it;
// - capture.e2e: the whole capture as a user feels it, from another program taking the clipboard to the
//   clip stored and listed by the program's core, the configured delay included (--delay MS runs with
//   another delay than the default);
// - relay.render.text1k and relay.render.bitmap1080p: during a Relayfeed run through eight such clips,
//   the time from a paste's request (a program in front asking for UTF8_STRING, or image/png from the
//   bitmap) to all of its data received; relay.arm.*: the time the run takes to arm the next clip (announce
//   it and take the clipboard). The Relayfeed delay between the two is not part of either.
// Prints the table and one JSON line per figure.
#include "GlobalMemory.h"
#include "QtWindows.h"
#include "TFigureTable.h"
#include "TX11CaptureRun.h"
#include "TX11RelayRun.h"
#include "X11ClipboardBridge.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace bx::platform;
using bx::platform::x11::QtWindows;
using bx::platform::x11::X11ClipboardBridge;
using Clock = std::chrono::steady_clock;

constexpr int Runs = 7;

QByteArray Text1k() {
    QByteArray text;
    for (int i = 0; text.size() < 1024; ++i)
        text += "word" + QByteArray::number(i) + ' ';
    text.truncate(1024);
    return text;
}

QByteArray NoisyPng(quint32 seed = 20261210) {
    QImage image(1920, 1080, QImage::Format_RGB32);
    QRandomGenerator noise(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = qRgb(x % 256, y % 256, static_cast<int>(noise.bounded(256)));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Copies bytes as target with xclip and returns the milliseconds from the change reaching the first
// viewer to all of format being read; negative when the change did not come.
double MeasureOnce(QtWindows& windows, X11ClipboardBridge& bridge, HWND viewer, const QByteArray& bytes,
                   const QString& target, UINT format, bool& changed) {
    // Let the end of the previous owner pass first.
    const QDeadlineTimer quiet(200);
    while (!quiet.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    changed = false;
    QProcess xclip;
    xclip.start("xclip", {"-quiet", "-selection", "clipboard", "-t", target, "-i"});
    if (!xclip.waitForStarted(5000))
        return -1;
    xclip.write(bytes);
    xclip.waitForBytesWritten(5000);
    xclip.closeWriteChannel();
    const QDeadlineTimer deadline(10000);
    while (!changed && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    if (!changed)
        return -1;
    const auto start = Clock::now();
    double result = -1;
    if (bridge.OpenClipboard(viewer)) {
        const HANDLE h = bridge.GetClipboardData(format);
        if (h != 0 && GlobalMemory::Size(h) > 0)
            result = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        bridge.CloseClipboard();
    }
    xclip.kill();
    xclip.waitForFinished(2000);
    windows.ProcessMessages();
    return result;
}

// The clipboard change as the bridge reads it, without the rest of the program.
void MeasureReads(bx::bench::TFigureTable& table, const QByteArray& png) {
    QtWindows windows;
    X11ClipboardBridge bridge(windows);
    if (!bridge.IsConnected()) {
        std::cerr << "cannot reach the X server\n";
        return;
    }
    bool changed = false;
    const HWND viewer = windows.CreateWindow("bench viewer", [&changed](UINT msg, WPARAM, LPARAM) {
        if (msg == WM_DRAWCLIPBOARD)
            changed = true;
        return LRESULT{0};
    });
    bridge.SetClipboardViewer(viewer);

    struct Case {
        const char* name;
        QByteArray bytes;
        QString target;
        UINT format;
        double target_ms;
    };
    // The PNG's own bytes (the transfer alone) beside the bitmap made from them (transfer and decoding).
    const UINT pngFormat = bridge.RegisterClipboardFormat("image/png");
    const Case cases[] = {{"x11 change read: text 1 KB", Text1k(), "UTF8_STRING", CF_TEXT, 2},
                          {"x11 change read: picture 1920x1080 as bitmap", png, "image/png", CF_BITMAP, 40},
                          {"x11 change read: picture 1920x1080 PNG bytes only", png, "image/png", pngFormat, 40}};
    for (const Case& c : cases) {
        bx::bench::TFigureTable::Figure figure{c.name, "ms", {}, c.target_ms, ""};
        for (int i = 0; i < Runs; ++i) {
            const double ms = MeasureOnce(windows, bridge, viewer, c.bytes, c.target, c.format, changed);
            if (ms >= 0)
                figure.Runs.push_back(ms);
        }
        figure.Note = std::to_string(c.bytes.size()) + " bytes";
        if (figure.Runs.empty())
            figure.Note += "; no change was read";
        table.Add(std::move(figure));
    }
    bridge.ChangeClipboardChain(viewer, NoWindow);
}

// The whole capture: another program takes the clipboard, the program's core hears it, waits its capture
// delay, reads, stores and lists the clip.
void MeasureEndToEnd(bx::bench::TFigureTable& table, const QByteArray& png, bx::bench::TX11CaptureRun& run) {
    const std::string delay = "capture delay " + std::to_string(run.DelayMs()) + " ms";
    const struct {
        const char* name;
        QByteArray bytes;
        QString target;
    } cases[] = {{"capture.e2e text 1 KB", Text1k(), "UTF8_STRING"},
                 {"capture.e2e picture 1920x1080", png, "image/png"}};
    for (const auto& c : cases) {
        bx::bench::TFigureTable::Figure figure{c.name, "ms", {}, std::nullopt, delay + "; CopyQ: 38 ms"};
        for (int i = 0; i < Runs; ++i) {
            // Each text differs from the last, which would be rejected as a duplicate.
            QByteArray bytes = c.bytes;
            if (c.target == "UTF8_STRING")
                bytes.replace(0, 3, QByteArray::number(100 + i));
            if (const double ms = run.Measure(bytes, c.target); ms >= 0)
                figure.Runs.push_back(ms);
        }
        if (figure.Runs.empty())
            figure.Note += "; nothing was captured";
        table.Add(std::move(figure));
    }
}

// Relayfeed: a run through clips of each kind, pasted by a program in front.
void MeasureRelay(bx::bench::TFigureTable& table, bx::bench::TX11CaptureRun& run) {
    bx::bench::TX11RelayRun relay(run, BX_X11_PEER);
    std::vector<QByteArray> texts;
    std::vector<QByteArray> pictures;
    std::vector<QByteArray> bmpPictures;
    for (int i = 0; i <= Runs; ++i) {
        QByteArray text = Text1k();
        text.replace(0, 3, QByteArray::number(200 + i)); // unlike every other copy
        texts.push_back(text);
        pictures.push_back(NoisyPng(static_cast<quint32>(7000 + i)));
        bmpPictures.push_back(NoisyPng(static_cast<quint32>(8000 + i)));
    }
    const struct {
        const char* kind;
        const std::vector<QByteArray>& copies;
        QString copyTarget;
        QString pasteTarget;
        const char* note;
    } cases[] = {{"text1k", texts, "UTF8_STRING", "UTF8_STRING", "1 KB text asked as UTF8_STRING"},
                 {"bitmap1080p", pictures, "image/png", "image/png", "1920x1080 bitmap asked as image/png"},
                 {"bitmap1080p.bmp", bmpPictures, "image/png", "image/bmp", "1920x1080 bitmap asked as image/bmp"}};
    for (const auto& c : cases) {
        const bx::bench::TX11RelayRun::Result r = relay.Measure(c.copies, c.copyTarget, c.pasteTarget);
        std::string note = c.note;
        if (!r.Failure.empty())
            note += "; " + r.Failure;
        table.Add({std::string("relay.render.") + c.kind, "ms", r.RenderMs, std::nullopt, note + "; delay excluded"});
        table.Add({std::string("relay.arm.") + c.kind, "ms", r.ArmMs, std::nullopt, note});
    }
}

} // namespace

int main(int argc, char* argv[]) {
    if (const char* display = std::getenv("DISPLAY"); display == nullptr || *display == '\0') {
        std::cerr << "brindlex-x11-bench needs an X display (run it under xvfb-run -a)\n";
        return 2;
    }
    std::optional<int> delayMs;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--delay")
            delayMs = std::stoi(argv[i + 1]);
    QGuiApplication app(argc, argv);
    const QByteArray png = NoisyPng();
    bx::bench::TFigureTable table("X11");
    MeasureReads(table, png);
    bx::bench::TX11CaptureRun run(BX_X11_PEER, delayMs);
    if (run.Ready()) {
        MeasureEndToEnd(table, png, run);
        MeasureRelay(table, run);
    } else {
        std::cerr << "the program's core did not load its data\n";
    }
    table.PrintTable(std::cout);
    table.PrintJson(std::cout);
    return 0;
}
