#include "TWorkload.h"

#include "GlobalMemory.h"
#include "SimDesktop.h"
#include "TBitmap.h"
#include "TClipColl.h"
#include "TClipContext.h"
#include "TClipData.h"
#include "TClipName.h"
#include "TClipObj.h"
#include "TDataSource.h"
#include "TDataSourceList.h"
#include "TMasterList.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace bx::bench {

namespace fs = std::filesystem;
using clipstore::TClipColl;
using clipstore::TClipData;
using clipstore::TClipObj;

namespace {

// Clips added between two saves while generating: bounds the memory the long texts and bitmaps take
// before their data files are written and they are dropped.
constexpr int ClipsPerSave = 4000;
// The newest clip's time stamp (9 December 2025, noon); each older clip is one minute earlier.
constexpr double NewestStamp = 46000.5;
constexpr double MinuteInDays = 1.0 / 1440.0;

// SplitMix64: the same sequence on every platform and standard library.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi].
    int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<std::uint64_t>(hi - lo + 1)); }

private:
    std::uint64_t state_;
};

enum class Kind : std::uint8_t { Short, Long, Bitmap };

constexpr const char* Consonants = "bcdfghjklmnprstvwxyz"; // no q: only marker words hold one
constexpr const char* Vowels = "aeiou";
constexpr const char* Creators[] = {"GEDIT", "FIREFOX", "KATE", "SOFFICE", "KONSOLE", "THUNDERBIRD", "CODE"};

std::string Word(Rng& rng) {
    std::string word;
    const int syllables = rng.Range(1, 4);
    for (int s = 0; s < syllables; ++s) {
        word.push_back(Consonants[rng.Range(0, 19)]);
        word.push_back(Vowels[rng.Range(0, 4)]);
        if (rng.Range(0, 3) == 0)
            word.push_back(Consonants[rng.Range(0, 19)]);
    }
    return word;
}

// Printable words in sentences and lines, about length bytes, with the marker words at random places.
std::string Text(Rng& rng, std::size_t length, const std::vector<int>& markers) {
    std::vector<std::string> words;
    std::size_t size = 0;
    for (const int m : markers)
        size += TWorkload::MarkerWord(m).size() + 1;
    while (size < length) {
        words.push_back(Word(rng));
        size += words.back().size() + 1;
    }
    for (const int m : markers) {
        const auto at = static_cast<std::size_t>(rng.Range(0, static_cast<int>(words.size())));
        words.insert(words.begin() + static_cast<std::ptrdiff_t>(at), TWorkload::MarkerWord(m));
    }
    std::string text;
    text.reserve(size + 16);
    bool sentenceStart = true;
    for (std::size_t i = 0; i < words.size(); ++i) {
        std::string word = words[i];
        if (sentenceStart && word[0] >= 'a' && word[0] <= 'z')
            word[0] = static_cast<char>(word[0] - 'a' + 'A');
        text += word;
        sentenceStart = rng.Range(0, 9) == 0;
        if (i + 1 == words.size())
            text += '.';
        else if (sentenceStart)
            text += rng.Range(0, 2) == 0 ? ".\n" : ". ";
        else
            text += rng.Range(0, 11) == 0 ? ", " : " ";
    }
    return text;
}

void PutLE(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A packed 24-bit DIB, bottom-up: a colour gradient that differs per picture, with noise of up to +-4
// levels on every pixel (the same on its three channels) and a few flat rectangles, as in a screenshot
// with a photograph in it.
std::vector<std::uint8_t> NoisyDib(Rng& rng, int width, int height) {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> dib(40 + stride * static_cast<std::size_t>(height));
    PutLE(dib, 0, 40, 4);
    PutLE(dib, 4, static_cast<std::uint32_t>(width), 4);
    PutLE(dib, 8, static_cast<std::uint32_t>(height), 4);
    PutLE(dib, 12, 1, 2);
    PutLE(dib, 14, 24, 2);
    PutLE(dib, 20, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height)), 4);
    PutLE(dib, 24, 2835, 4);
    PutLE(dib, 28, 2835, 4);
    const int r0 = rng.Range(0, 255), g0 = rng.Range(0, 255), b0 = rng.Range(0, 255);
    struct Rect {
        int x0, y0, x1, y1;
        std::uint8_t r, g, b;
    };
    std::vector<Rect> rects;
    for (int i = rng.Range(1, 4); i > 0; --i) {
        const int x0 = rng.Range(0, width - 40), y0 = rng.Range(0, height - 30);
        rects.push_back({x0, y0, std::min(width, x0 + rng.Range(40, 300)), std::min(height, y0 + rng.Range(30, 200)),
                         static_cast<std::uint8_t>(rng.Range(0, 255)), static_cast<std::uint8_t>(rng.Range(0, 255)),
                         static_cast<std::uint8_t>(rng.Range(0, 255))});
    }
    std::uint64_t noise = 0;
    int noiseLeft = 0;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = dib.data() + 40 + stride * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            int r = (r0 + x * 255 / width) & 255;
            int g = (g0 + y * 255 / height) & 255;
            int b = (b0 + (x + y) * 128 / (width + height)) & 255;
            bool flat = false;
            for (const Rect& rc : rects)
                if (x >= rc.x0 && x < rc.x1 && y >= rc.y0 && y < rc.y1) {
                    r = rc.r;
                    g = rc.g;
                    b = rc.b;
                    flat = true;
                }
            if (!flat) {
                if (noiseLeft == 0) {
                    noise = rng.Next();
                    noiseLeft = 16;
                }
                const int n = static_cast<int>(noise & 15) % 9 - 4;
                noise >>= 4;
                --noiseLeft;
                r = std::clamp(r + n, 0, 255);
                g = std::clamp(g + n, 0, 255);
                b = std::clamp(b + n, 0, 255);
            }
            row[x * 3] = static_cast<std::uint8_t>(b);
            row[x * 3 + 1] = static_cast<std::uint8_t>(g);
            row[x * 3 + 2] = static_cast<std::uint8_t>(r);
        }
    }
    return dib;
}

std::unique_ptr<TClipData> TextFormat(const std::string& text) {
    auto data = std::make_unique<TClipData>(TClipData::TypeBlock);
    data->Handle = platform::GlobalMemory::FromBytes(text.c_str(), text.size() + 1);
    data->DataSize = static_cast<std::int32_t>(text.size() + 1);
    data->FormatNum = platform::CF_TEXT;
    data->FormatName = std::string(cliplink::TClipName::TableName(platform::CF_TEXT));
    return data;
}

} // namespace

bool TWorkload::Preset(const std::string& name, Params& params) {
    params = Params{};
    params.Name = name;
    params.Seed = 20251209;
    if (name == "W20k") {
        params.ShortTexts = 18900;
        params.LongTexts = 1000;
        params.Bitmaps = 100;
        return true;
    }
    if (name == "W100k" || name == "W100k-10") {
        params.ShortTexts = 5 * 18900;
        params.LongTexts = 5 * 1000;
        params.Bitmaps = 5 * 100;
        params.Collections = name == "W100k" ? 1 : 10;
        return true;
    }
    return false;
}

TWorkload::TWorkload(Params params, std::string root) : params_(std::move(params)), root_(std::move(root)) {
    if (root_.empty() || root_.back() != '/')
        root_ += '/';
}

std::string TWorkload::DataDirectory() const {
    return root_ + "share/Quorvanti Development/Brindlex5/";
}

std::string TWorkload::CollectionName(int c) {
    char name[16];
    std::snprintf(name, sizeof name, "Coll%02d", c);
    return name;
}

std::string TWorkload::CollectionDirectory(int c) const {
    return DataDirectory() + CollectionName(c) + "/";
}

std::vector<std::uint8_t> TWorkload::NoisyBitmap(std::uint64_t seed, int width, int height) {
    Rng rng(seed);
    return NoisyDib(rng, width, height);
}

std::string TWorkload::MarkerWord(int n) {
    char word[16];
    std::snprintf(word, sizeof word, "qmark%03dq", n);
    return word;
}

std::string TWorkload::StampText(int hits) const {
    std::ostringstream s;
    // Bump the generator version whenever the bytes it writes change.
    s << "generator 3\nname " << params_.Name << "\nshort " << params_.ShortTexts << "\nlong " << params_.LongTexts
      << "\nbitmaps " << params_.Bitmaps << "\ncollections " << params_.Collections << "\nseed " << params_.Seed
      << "\nhits " << hits << "\n";
    return s.str();
}

bool TWorkload::ReadStamp() {
    std::ifstream in(root_ + "stamp");
    if (!in)
        return false;
    const std::string stamp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t at = stamp.find("\nhits ");
    if (at == std::string::npos)
        return false;
    const int hits = std::atoi(stamp.c_str() + at + 6);
    if (stamp != StampText(hits))
        return false;
    std::error_code ec;
    for (int c = 0; c < params_.Collections; ++c)
        if (!fs::exists(CollectionDirectory(c) + TClipColl::FileName, ec))
            return false;
    expectedHits_ = hits;
    return true;
}

bool TWorkload::Ensure() {
    if (ReadStamp())
        return false;
    Generate();
    return true;
}

void TWorkload::Generate() {
    std::error_code ec;
    fs::remove_all(root_, ec);
    fs::create_directories(DataDirectory());

    int hits = 0;
    {
        platform::sim::SimDesktop desk;
        clipstore::TClipContext context(desk.Clock(), desk.Clipboard());
        hits = Fill(context);
    }
    std::ofstream stamp(root_ + "stamp", std::ios::trunc);
    stamp << StampText(hits);
    if (!stamp.flush())
        throw std::runtime_error("the stamp cannot be written in " + root_);
    expectedHits_ = hits;
}

int TWorkload::Fill(clipstore::TClipContext& context) {
    clipstore::TDataSourceList sources;
    sources.Add("Workload", std::make_unique<clipstore::TDataSource>(1, "Workload", DataDirectory(), false, true));
    clipstore::TMasterList::DetermineFirstGoodDataSource(sources, nullptr);
    clipstore::TMasterList master(context, sources, nullptr);
    master.Load();
    if (master.Count() == 0)
        throw std::runtime_error("the data source " + DataDirectory() + " cannot be loaded");
    TClipColl* root = master.Item(0);

    const int total = params_.ShortTexts + params_.LongTexts + params_.Bitmaps;
    Rng rng(params_.Seed);
    std::vector<Kind> kinds;
    kinds.insert(kinds.end(), static_cast<std::size_t>(params_.ShortTexts), Kind::Short);
    kinds.insert(kinds.end(), static_cast<std::size_t>(params_.LongTexts), Kind::Long);
    kinds.insert(kinds.end(), static_cast<std::size_t>(params_.Bitmaps), Kind::Bitmap);
    for (std::size_t i = kinds.size(); i > 1; --i)
        std::swap(kinds[i - 1], kinds[rng.Next() % i]);

    // Clip i (0 the newest) goes to collection i mod Collections, below the newer ones; the newest
    // clip of a collection has its highest serial number.
    std::vector<TClipColl*> colls;
    std::vector<int> remaining(static_cast<std::size_t>(params_.Collections), 0);
    for (int i = 0; i < total; ++i)
        ++remaining[static_cast<std::size_t>(i % params_.Collections)];
    for (int c = 0; c < params_.Collections; ++c) {
        auto coll = std::make_unique<TClipColl>(context, true, &master);
        coll->Title = CollectionName(c);
        coll->DirName = CollectionName(c);
        coll->Parent = root;
        coll->SortKey = (c + 1) * 100;
        coll->Retention = TClipColl::KeepAll;
        coll->AddOrder = 0;
        coll->LastSerialNbr = remaining[static_cast<std::size_t>(c)];
        coll->LastClipSortKey = remaining[static_cast<std::size_t>(c)] * 100;
        colls.push_back(master.Append(std::move(coll)));
    }

    int hits = 0;
    for (int i = 0; i < total; ++i) {
        const auto c = static_cast<std::size_t>(i % params_.Collections);
        TClipColl& coll = *colls[c];
        const std::int32_t serial = remaining[c]--;
        const Kind kind = kinds[static_cast<std::size_t>(i)];
        auto clip = std::make_unique<TClipObj>(context, serial, Creators[rng.Range(0, 6)]);
        clip->SortKey = serial * 100;
        clip->SetColl(&coll);
        clip->TimeStamp = NewestStamp - i * MinuteInDays;
        if (kind == Kind::Bitmap) {
            auto data = std::make_unique<TClipData>(TClipData::TypeBitmap);
            data->Bitmap = std::make_unique<clipstore::TBitmap>();
            if (!data->Bitmap->LoadFromDib(NoisyDib(rng, BitmapWidth, BitmapHeight)))
                throw std::runtime_error("the generated bitmap is not accepted");
            data->FormatNum = platform::CF_BITMAP;
            data->FormatName = std::string(cliplink::TClipName::TableName(platform::CF_BITMAP));
            clip->Formats->push_back(std::move(data));
            clip->SetIcon(platform::CF_BITMAP);
        } else {
            std::vector<int> markers;
            while (markers.size() < MarkersPerText) {
                const int m = rng.Range(0, MarkerCount - 1);
                if (std::find(markers.begin(), markers.end(), m) == markers.end())
                    markers.push_back(m);
            }
            if (std::find(markers.begin(), markers.end(), SearchMarker) != markers.end())
                ++hits;
            const std::size_t length = kind == Kind::Short ? static_cast<std::size_t>(rng.Range(40, 900))
                                                           : static_cast<std::size_t>(rng.Range(5 * 1024, 50 * 1024));
            clip->Formats->push_back(TextFormat(Text(rng, length, markers)));
            clip->SetIcon(platform::CF_TEXT);
        }
        clip->Online = true;
        clip->SetTitle(clip->GetTitle());
        TClipObj* raw = clip.get();
        coll.MyAddObject(raw->Title, std::move(clip));
        if ((i + 1) % ClipsPerSave == 0)
            master.Save();
    }
    for (TClipColl* coll : colls) {
        coll->AddOrder = 1;
        coll->SetDirty(true);
    }
    master.Save();
    if (master.Dirty)
        throw std::runtime_error("the workload could not be saved in " + DataDirectory());
    return hits;
}

} // namespace bx::bench
