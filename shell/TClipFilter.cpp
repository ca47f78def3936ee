#include "TClipFilter.h"

#include "GlobalMemory.h"
#include "PlatformTypes.h"
#include "TClipListModel.h"
#include "TUtf8.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

namespace bx::shell {

using clipstore::TClipObj;

namespace {

// The clip's text when it is in memory (nothing is read from disk), searched in place. The block is
// reached directly: a clip's Lock would make a string per call.
bool TextInMemoryHolds(TClipObj& clip, std::string_view upper) {
    if (!clip.Online || clip.LockedFormat != 0)
        return false;
    const platform::HGLOBAL block = clip.GetHandle(platform::CF_TEXT);
    if (block == 0)
        return false;
    bool found = false;
    if (const auto* start = reinterpret_cast<const char*>(platform::GlobalMemory::Lock(block)); start != nullptr) {
        const std::size_t size = platform::GlobalMemory::Size(block);
        found = TClipObj::HoldsUpperAscii(std::string_view(start, strnlen(start, size)), upper);
        platform::GlobalMemory::Unlock(block);
    }
    return found;
}

} // namespace

TClipFilter::TClipFilter(TClipListModel& list, std::function<void()> notify) : list_(list), notify_(std::move(notify)) {
    // Without a text every row shows: nothing to do.
    // Rows that changed place make the kept selection meaningless.
    subscriptions_.push_back(list_.RowsReset.Subscribe([this] {
        kept_.reset();
        if (Active())
            Refilter(false);
    }));
    subscriptions_.push_back(list_.RowInserted.Subscribe([this](std::size_t) {
        kept_.reset();
        if (Active())
            Refilter(false);
    }));
    subscriptions_.push_back(list_.SelectionChanged.Subscribe([this] {
        if (Active() && !narrowingSelection_)
            KeepSelectionShown();
    }));
}

TClipFilter::~TClipFilter() {
    if (helper_.joinable()) {
        helper_.request_stop();
        helper_.join();
    }
}

void TClipFilter::SetText(const std::string& text) {
    std::string upper = clipstore::TUtf8::UpperAscii(text);
    // A text that holds the one before matches only clips that one matched or left to the files.
    const bool narrowing = Active() && upper.find(upper_) != std::string::npos;
    text_ = text;
    upper_ = std::move(upper);
    Refilter(narrowing);
    if (Active())
        KeepSelectionShown();
    else
        GiveSelectionBack();
}

void TClipFilter::KeepSelectionShown() {
    std::vector<std::size_t> selected;
    std::vector<std::size_t> shown;
    for (std::size_t row = 0; row < list_.Count(); ++row)
        if (list_.IsSelected(row)) {
            selected.push_back(row);
            if (std::binary_search(shown_.begin(), shown_.end(), row))
                shown.push_back(row);
        }
    if (shown.size() == selected.size())
        return;
    if (!kept_)
        kept_ = TKeptSelection{selected, list_.FocusedRow(), {}};
    const int focused = list_.FocusedRow();
    const bool focusShown =
        focused >= 0 && std::binary_search(shown_.begin(), shown_.end(), static_cast<std::size_t>(focused));
    kept_->Narrowed = shown;
    narrowingSelection_ = true;
    list_.SetSelection(shown, focusShown ? focused : -1);
    narrowingSelection_ = false;
}

void TClipFilter::GiveSelectionBack() {
    if (!kept_)
        return;
    const TKeptSelection kept = std::move(*kept_);
    kept_.reset();
    std::vector<std::size_t> selected;
    for (std::size_t row = 0; row < list_.Count(); ++row)
        if (list_.IsSelected(row))
            selected.push_back(row);
    if (selected == kept.Narrowed)
        list_.SetSelection(kept.Rows, kept.Focused);
}

std::size_t TClipFilter::Count() const {
    return Active() ? shown_.size() : list_.Count();
}

int TClipFilter::ShownRow(std::size_t listRow) const {
    if (!Active())
        return listRow < list_.Count() ? static_cast<int>(listRow) : -1;
    const auto it = std::lower_bound(shown_.begin(), shown_.end(), listRow);
    return it != shown_.end() && *it == listRow ? static_cast<int>(it - shown_.begin()) : -1;
}

std::optional<std::size_t> TClipFilter::FindInTitle(const std::string& title, const std::string& text) {
    if (text.empty())
        return std::nullopt;
    const std::size_t at = clipstore::TUtf8::UpperAscii(title).find(clipstore::TUtf8::UpperAscii(text));
    return at == std::string::npos ? std::nullopt : std::optional<std::size_t>(at);
}

void TClipFilter::Refilter(bool narrowing) {
    std::vector<TFile> files;
    bool start = false;
    std::vector<std::size_t> candidates;
    if (narrowing) {
        candidates.reserve(shown_.size() + fileRows_.size());
        std::set_union(shown_.begin(), shown_.end(), fileRows_.begin(), fileRows_.end(),
                       std::back_inserter(candidates));
    }
    shown_.clear();
    fileRows_.clear();
    if (Active()) {
        const std::size_t n = narrowing ? candidates.size() : list_.Count();
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t row = narrowing ? candidates[i] : i;
            TClipObj& clip = *list_.Clip(row);
            if (TClipObj::HoldsUpperAscii(clip.Title, upper_) || TextInMemoryHolds(clip, upper_)) {
                shown_.push_back(row);
            } else if (!clip.Online) {
                if (std::optional<TClipObj::DataFileText> file = clip.BodyInDataFile()) {
                    files.push_back({row, &clip, std::move(*file)});
                    fileRows_.push_back(row);
                }
            }
        }
    }
    {
        // The helper's running search ends at its next file; its hits are dropped.
        std::lock_guard lock(mutex_);
        ++generation_;
        hits_.clear();
        files_ = std::move(files);
        jobUpper_ = upper_;
        jobWaiting_ = !files_.empty();
        start = jobWaiting_;
    }
    if (start) {
        if (!helper_.joinable())
            helper_ = std::jthread([this](std::stop_token stop) { Work(stop); });
        wake_.notify_one();
    }
    RowsChanged.Emit();
}

void TClipFilter::Work(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        if (!wake_.wait(lock, stop, [this] { return jobWaiting_; }))
            return;
        const std::uint64_t generation = generation_;
        const std::vector<TFile> files = std::move(files_);
        const std::string upper = jobUpper_;
        files_.clear();
        jobWaiting_ = false;
        busy_ = true;
        lock.unlock();
        std::size_t found = 0;
        std::size_t told = 0;
        for (std::size_t i = 0; i < files.size() && !stop.stop_requested(); ++i) {
            const bool match = TClipObj::FindInDataFile(files[i].File, upper) == TClipObj::FileSearch::Match;
            {
                std::lock_guard hold(mutex_);
                if (generation != generation_)
                    break;
                if (match) {
                    hits_.push_back({generation, files[i].Row, files[i].Clip});
                    ++found;
                }
            }
            // Hits go to the window in batches, the last one at the end.
            if (found > told && (found - told >= HitBatch || i + 1 == files.size()) && notify_) {
                told = found;
                notify_();
            }
        }
        lock.lock();
        busy_ = false;
        idle_.notify_all();
    }
}

bool TClipFilter::Poll() {
    std::vector<THit> hits;
    {
        std::lock_guard lock(mutex_);
        hits.swap(hits_);
        std::erase_if(hits, [this](const THit& hit) { return hit.Generation != generation_; });
    }
    std::size_t added = 0;
    for (const THit& hit : hits) {
        // The rows cannot have moved: every change of the list starts a new generation.
        if (!Active() || list_.Clip(hit.Row) != hit.Clip)
            continue;
        const auto it = std::lower_bound(shown_.begin(), shown_.end(), hit.Row);
        if (it == shown_.end() || *it != hit.Row) {
            shown_.insert(it, hit.Row);
            ++added;
        }
    }
    if (added > 0)
        RowsChanged.Emit();
    return added > 0;
}

bool TClipFilter::Searching() const {
    std::lock_guard lock(mutex_);
    return jobWaiting_ || busy_;
}

void TClipFilter::WaitForHelper() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return !jobWaiting_ && !busy_; });
}

} // namespace bx::shell
