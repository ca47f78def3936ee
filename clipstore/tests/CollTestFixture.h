// Shared pieces of the collection tests: a master list stand-in, a log that keeps its lines, the
// program state of a running program, a fresh directory and clips made as capture makes them.
#pragma once

#include "DateTime.h"
#include "GlobalMemory.h"
#include "IMasterListLink.h"
#include "LogHook.h"
#include "SimDesktop.h"
#include "SimMessageBoxes.h"
#include "TClipColl.h"
#include "TClipContext.h"
#include "TClipData.h"
#include "TClipObj.h"
#include "TestBytes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace bx::clipstore::colltest {

using Bytes = std::vector<std::uint8_t>;
using testsupport::BlockBytes;
using testsupport::FileBytes;
using testsupport::PutFile;

class FakeMaster : public IMasterListLink {
public:
    void SetDirty(bool value) override { Dirty = value; }
    std::int32_t NextOldFileSortKey() override {
        const std::int32_t key = Counter;
        Counter += 250;
        return key;
    }
    bool SuppressListEvents() const override { return Busy; }
    std::string CurrentDataSourceDirectory() const override { return DataDir; }
    bool NeedDefaultCollections() const override { return NeedDefaults; }
    platform::IMessageBoxes* MessageBoxes() override { return &Boxes; }

    bool Dirty = false;
    bool Busy = false;
    bool NeedDefaults = false;
    std::int32_t Counter = 1000;
    std::string DataDir;
    platform::sim::SimMessageBoxes Boxes;
};

class KeptLog : public platform::ILogSink {
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
    std::vector<Line> lines;
};

class CollFixture : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        root = (std::filesystem::temp_directory_path() /
                ("bx_coll_" + std::to_string(::getpid()) + "_" + std::to_string(counter++)))
                   .string() +
               "/";
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        master.DataDir = root;
        context.MasterListExists = true;
        context.RtfFormat = context.RegisterFormat("Rich Text Format");
        context.HtmlFormat = context.RegisterFormat("HTML Format");
        platform::SetLogSink(&log);
    }
    void TearDown() override {
        platform::SetLogSink(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }

    // A collection in root + dir + "/", reporting to the fake master list.
    std::unique_ptr<TClipColl> MakeColl(const std::string& dir, bool withDefaults = true) {
        auto coll = std::make_unique<TClipColl>(context, withDefaults, &master);
        coll->DirName = root + dir;
        coll->Title = dir;
        return coll;
    }

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

    // A new clip as callers add one: serial number, sort key, collection, then the list.
    static TClipObj* AddText(TClipColl& coll, const std::string& text) {
        auto clip = std::make_unique<TClipObj>(coll.Context(), coll.GetNextSerialNum(), "editor");
        clip->SortKey = coll.GetNextClipSortKey();
        clip->SetColl(&coll);
        Bytes bytes(text.begin(), text.end());
        bytes.push_back(0);
        AddBlock(*clip, platform::CF_TEXT, "CF_TEXT", bytes);
        clip->SetTitle(text);
        TClipObj* raw = clip.get();
        coll.MyAddObject(raw->Title, std::move(clip));
        return raw;
    }

    // The serial numbers of a collection's clips, top first.
    static std::vector<std::int32_t> Serials(const TClipColl& coll) {
        std::vector<std::int32_t> serials;
        for (std::size_t i = 0; i < coll.Count(); ++i)
            serials.push_back(coll.Clip(i)->SerialNbr);
        return serials;
    }

    platform::sim::SimDesktop desk;
    // The run's context, as the program's core makes it.
    TClipContext context{desk.Clock(), desk.Clipboard()};
    FakeMaster master;
    KeptLog log;
    std::string root;
};

} // namespace bx::clipstore::colltest
