// Writes the seed corpora of the X11 conversions' fuzz targets with the program's own conversions:
// texts in every encoding, HTML envelopes, file lists and pictures. Usage: bx_x11_fuzz_seeds <corpus dir>.
#include "X11DataConversions.h"
#include "X11FormatMap.h"

#include <QColor>
#include <QImage>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using namespace bx::platform::x11;

namespace {

class Writer {
public:
    explicit Writer(std::filesystem::path root) : root_(std::move(root)) {}
    void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
        const std::filesystem::path dir = root_ / target;
        std::filesystem::create_directories(dir);
        std::ofstream(dir / name, std::ios::binary | std::ios::trunc) << bytes;
    }

private:
    std::filesystem::path root_;
};

// The choice byte that picks a source target and a type in X11TextFuzz.
char TextChoice(std::string_view target, std::size_t type) {
    const auto& targets = X11FormatMap::SourceTargets(X11FormatMap::Kind::Text);
    for (std::size_t i = 0; i < targets.size(); ++i)
        if (targets[i] == target)
            for (std::size_t c = 0; c < 256; ++c)
                if (c % targets.size() == i && (c / 8) % 7 == type)
                    return static_cast<char>(c);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus dir>\n", argv[0]);
        return 2;
    }
    Writer seeds(argv[1]);
    const std::string text = "Gr\xC3\xBC\xC3\x9F"
                             "e \xE2\x82\xAC and \xE6\x97\xA5\xE6\x9C\xAC";
    seeds.Seed("X11TextFuzz", "utf8", TextChoice("UTF8_STRING", 0) + text);
    seeds.Seed("X11TextFuzz", "latin1", TextChoice("STRING", 1) + X11DataConversions::Utf8ToLatin1(text));
    seeds.Seed("X11TextFuzz", "compound",
               TextChoice("COMPOUND_TEXT", 2) + X11DataConversions::Utf8ToCompoundText(text));
    seeds.Seed("X11TextFuzz", "utf16", std::string(1, '\x40') + X11DataConversions::Utf8ToUtf16Le(text));

    const std::string html = "<html><body><p>Hello <b>there</b></p></body></html>";
    seeds.Seed("X11HtmlEnvelopeFuzz", "envelope", X11DataConversions::WrapHtml(html, "https://a.example/page"));
    seeds.Seed("X11HtmlEnvelopeFuzz", "envelope-no-url", X11DataConversions::WrapHtml(html, ""));
    seeds.Seed("X11HtmlEnvelopeFuzz", "document", html + std::string(1, '\0') + "https://a.example/");

    const std::string drop = X11DataConversions::DropFiles({"/home/user/a file.txt", "/tmp/\xC3\xBC"});
    seeds.Seed("X11FileListFuzz", "dropfiles", drop);
    seeds.Seed("X11FileListFuzz", "uri-list",
               X11DataConversions::TargetBytes(X11FormatMap::Kind::HDrop, "text/uri-list", drop).value_or(""));
    seeds.Seed(
        "X11FileListFuzz", "gnome",
        X11DataConversions::TargetBytes(X11FormatMap::Kind::HDrop, "x-special/gnome-copied-files", drop).value_or(""));

    QImage image(7, 5, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, QColor(x * 30, y * 50, 128));
    const std::string dib = X11DataConversions::DibFromOpaqueImage(image).value_or("");
    const std::string bmp = X11DataConversions::BmpFromDib(dib).value_or("");
    const std::string png = X11DataConversions::PngFromDib(dib).value_or("");
    if (dib.empty() || bmp.empty() || png.empty()) {
        std::fprintf(stderr, "the picture conversions failed\n");
        return 1;
    }
    seeds.Seed("X11ImageFuzz", "bmp", std::string(1, '\x03') + bmp);
    seeds.Seed("X11ImageFuzz", "png", std::string(1, '\x02') + png);
    seeds.Seed("X11ImageFuzz", "dib", std::string(1, '\x02') + dib);
    return 0;
}
