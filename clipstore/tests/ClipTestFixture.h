// Shared pieces of the clip tests: a collection stand-in with its own directory, a log that keeps its
// lines, the program state a running program has, and small clipboard data.
#pragma once

#include "GlobalMemory.h"
#include "IClipCollection.h"
#include "ILogSink.h"
#include "LogHook.h"
#include "SimDesktop.h"
#include "TClipContext.h"
#include "TClipObj.h"
#include "TestBytes.h"
#include "TestDib.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace bx::clipstore::testing {

using Bytes = std::vector<std::uint8_t>;
using testsupport::BlockBytes;
using testsupport::FileBytes;
using testsupport::Put16;
using testsupport::Put32;
using testsupport::PutFile;
using testsupport::SmallDib;
using testsupport::TextBytes;

class TestColl : public IClipCollection {
public:
    explicit TestColl(std::string dir) : dir_(std::move(dir)) {}
    void SetDirty(bool value) override { Dirty = value; }
    std::string GetPath() const override { return dir_; }
    std::string CollTitle() const override { return "Test Collection"; }
    bool Dirty = false;

private:
    std::string dir_;
};

class LogLines : public platform::ILogSink {
public:
    struct Line {
        int level;
        std::string where;
        std::string what;
    };
    void Write(int level, std::string_view where, std::string_view what) override {
        lines.push_back({level, std::string(where), std::string(what)});
    }
    int Count(const std::string& where, const std::string& whatStart = "") const {
        int n = 0;
        for (const Line& l : lines)
            if (l.where == where && l.what.rfind(whatStart, 0) == 0)
                ++n;
        return n;
    }
    bool Has(const std::string& whatPart) const {
        for (const Line& l : lines)
            if (l.what.find(whatPart) != std::string::npos)
                return true;
        return false;
    }
    std::vector<Line> lines;
};

// A Windows metafile: header and the end record.
inline Bytes WmfBody() {
    Bytes b;
    Put16(b, 1);      // in memory
    Put16(b, 9);      // header words
    Put16(b, 0x0300); // version
    Put32(b, 12);     // size in words
    Put16(b, 0);      // objects
    Put32(b, 3);      // largest record
    Put16(b, 0);
    Put32(b, 3); // end record: size 3 words, function 0
    Put16(b, 0);
    return b;
}

// A clipboard metafile picture: mm, xExt, yExt, 0, then the metafile.
inline Bytes MetafilePict() {
    Bytes b;
    Put32(b, 8);
    Put32(b, 2540);
    Put32(b, 1270);
    Put32(b, 0);
    const Bytes body = WmfBody();
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A placeable Windows metafile as a file holds it.
inline Bytes PlaceableWmf() {
    Bytes b;
    Put32(b, 0x9AC6CDD7);
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, 1000);
    Put16(b, 500);
    Put16(b, 1000);
    Put32(b, 0);
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 20; i += 2)
        sum = static_cast<std::uint16_t>(sum ^ (b[i] | (b[i + 1] << 8)));
    Put16(b, sum);
    const Bytes body = WmfBody();
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// An enhanced metafile: the header record and the end record.
inline Bytes Emf() {
    Bytes b;
    Put32(b, 1);  // EMR_HEADER
    Put32(b, 88); // header size
    for (int i = 0; i < 4; ++i)
        Put32(b, 0); // bounds
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 2000);
    Put32(b, 1000);       // frame
    Put32(b, 0x464D4520); // " EMF"
    Put32(b, 0x10000);    // version
    Put32(b, 108);        // total size
    Put32(b, 2);          // records
    Put16(b, 1);          // handles
    Put16(b, 0);
    Put32(b, 0); // description length
    Put32(b, 0); // description offset
    Put32(b, 0); // palette entries
    Put32(b, 1920);
    Put32(b, 1080); // device pixels
    Put32(b, 508);
    Put32(b, 286); // device millimetres
    Put32(b, 14);  // EMR_EOF
    Put32(b, 20);
    Put32(b, 0);
    Put32(b, 16);
    Put32(b, 20);
    return b;
}

// The program as it runs: a desktop, a master list, the registered names, a log and a fresh
// collection directory.
class ClipFixture : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        root = (std::filesystem::temp_directory_path() /
                ("bx_clips_" + std::to_string(::getpid()) + "_" + std::to_string(counter++)))
                   .string() +
               "/";
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root + "a/");
        std::filesystem::create_directories(root + "b/");
        context.MasterListExists = true;
        context.RegisterFormats();
        platform::SetLogSink(&log);
    }
    void TearDown() override {
        platform::SetLogSink(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    // A text format as the clipboard gives it.
    static void AddBlock(TClipObj& clip, platform::UINT format, const std::string& name, const Bytes& bytes) {
        auto d = std::make_unique<TClipData>(TClipData::TypeBlock);
        d->Handle = platform::GlobalMemory::FromBytes(bytes.data(), bytes.size());
        d->DataSize = static_cast<std::int32_t>(bytes.size());
        d->FormatNum = static_cast<std::uint16_t>(format);
        d->FormatName = name;
        clip.Formats->push_back(std::move(d));
        clip.Online = true;
        clip.SetIcon(format);
    }

    platform::sim::SimDesktop desk;
    // The run's context, as the program's core makes it.
    TClipContext context{desk.Clock(), desk.Clipboard()};
    LogLines log;
    std::string root;
};

} // namespace bx::clipstore::testing
