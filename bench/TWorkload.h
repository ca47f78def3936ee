#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bx::clipstore {
class TClipContext;
}

namespace bx::bench {

// A fixed workload: a data source written in the program's own format through the clip store's
// classes, the same bytes for the same parameters. Its clips are short texts of printable words, long
// texts that live in data files, and 24-bit bitmaps of a gradient with per-pixel noise (so that their
// picture files cannot compress to nothing). Every text carries a few rare marker words
// ("qmark" + three digits + "q"), so that a search for one of them has a known number of hits; no other
// word contains the letter q.
//
// Layout under Root: "share/Quorvanti Development/Brindlex5/" is the data source (the program's default
// data folder when XDG_DATA_HOME is Root + "share"), one sub-directory per collection; "stamp" holds
// the parameters the data was made with. Generation is slow, so Ensure reuses a workload whose stamp
// matches and makes it afresh otherwise.
class TWorkload {
public:
    struct Params {
        std::string Name;
        int ShortTexts = 0;
        int LongTexts = 0;
        int Bitmaps = 0;
        int Collections = 1;
        std::uint32_t Seed = 1;
    };

    // The marker word searched by the find figure.
    static constexpr int SearchMarker = 7;
    static constexpr int MarkerCount = 1000;
    static constexpr int MarkersPerText = 2;
    static constexpr int BitmapWidth = 640;
    static constexpr int BitmapHeight = 480;

    // "W20k": 18,900 short texts (40 to 900 bytes), 1,000 long texts (5 to 50 KB) and 100 bitmaps of
    // 640 x 480 in one collection. "W100k": five times each. "W100k-10": W100k over ten collections.
    // False for another name.
    static bool Preset(const std::string& name, Params& params);

    TWorkload(Params params, std::string root);

    // Makes the workload unless a matching one is there; true when it was made now.
    bool Ensure();
    const Params& Parameters() const { return params_; }
    // Ends in "/".
    const std::string& Root() const { return root_; }
    std::string DataDirectory() const;
    // The directory of collection c (0-based), ending in "/".
    std::string CollectionDirectory(int c) const;
    static std::string CollectionName(int c);
    // Clips whose text holds the search marker (counted once per clip); read from the stamp.
    int ExpectedHits() const { return expectedHits_; }
    static std::string MarkerWord(int n);
    // A packed 24-bit DIB like the workload's bitmaps (a gradient, flat rectangles, noise); the seed
    // chooses the picture.
    static std::vector<std::uint8_t> NoisyBitmap(std::uint64_t seed, int width, int height);

private:
    std::string StampText(int hits) const;
    bool ReadStamp();
    void Generate();
    // Writes the clips into the data source with the clip store's context; returns the hits.
    int Fill(clipstore::TClipContext& context);

    Params params_;
    std::string root_;
    int expectedHits_ = -1;
};

} // namespace bx::bench
