// What the clip store's fuzz targets share: the program state a running program has (a simulated
// desktop, the run's context with its registered formats, a master list stand-in) and a collection
// directory of the process's own, made once.
#pragma once

#include "IClipCollection.h"
#include "IMasterListLink.h"
#include "SimDesktop.h"
#include "SimMessageBoxes.h"
#include "TClipContext.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace bx::clipstore::fuzz {

class FuzzMaster : public IMasterListLink {
public:
    void SetDirty(bool) override {}
    std::int32_t NextOldFileSortKey() override { return 1000; }
    bool SuppressListEvents() const override { return false; }
    std::string CurrentDataSourceDirectory() const override { return {}; }
    bool NeedDefaultCollections() const override { return false; }
    platform::IMessageBoxes* MessageBoxes() override { return nullptr; }
};

class FuzzColl : public IClipCollection {
public:
    explicit FuzzColl(std::string dir) : dir_(std::move(dir)) {}
    void SetDirty(bool) override {}
    std::string GetPath() const override { return dir_; }
    std::string CollTitle() const override { return "Fuzz"; }

private:
    std::string dir_;
};

class FuzzStore {
public:
    FuzzStore()
        : dir((std::filesystem::temp_directory_path() / ("bx_fuzz_" + std::to_string(::getpid()))).string() + "/"),
          coll(dir) {
        std::filesystem::create_directories(dir);
        context.MasterListExists = true;
        context.StartingUp = true;
        context.RegisterFormats();
    }
    ~FuzzStore() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    FuzzStore(const FuzzStore&) = delete;
    FuzzStore& operator=(const FuzzStore&) = delete;

    // One store for the whole run, made at the first input.
    static FuzzStore& Get() {
        static FuzzStore store;
        return store;
    }

    platform::sim::SimDesktop desk;
    TClipContext context{desk.Clock(), desk.Clipboard()};
    FuzzMaster master;
    std::string dir;
    FuzzColl coll;
};

} // namespace bx::clipstore::fuzz
