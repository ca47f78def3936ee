#pragma once

#include "TClipObj.h"
#include "TEvent.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace bx::shell {

class TClipListModel;

// Filter-as-you-type over the clip list: while a text is set, the rows shown are the list's rows whose
// clip holds the text in its title or its text (the letters a-z compared without regard to case), in
// the list's order. The filter is a view over the list's rows, not a copy: a shown row maps to a list
// row, and selecting it is selecting that row of the list.
//
// Setting the text checks the titles and the texts held in memory at once, on the calling thread, and
// reads nothing from disk there. The texts of clips kept only in their data files are searched by one
// helper thread of the filter's own (TClipObj::FindInDataFile, which touches no clip); its hits wait
// until Poll takes them in and adds their rows. A new text cancels the helper's running search, whose
// hits are then never shown. Clips whose file the helper cannot settle (pictures beside the text) are
// matched by their titles only, as loading them would read the disk. A text that extends the one before
// looks only at the rows that one showed or left to the files.
class TClipFilter {
public:
    // notify is called on the helper thread when hits wait for Poll (the window posts itself a Poll);
    // it may be empty.
    explicit TClipFilter(TClipListModel& list, std::function<void()> notify = {});
    ~TClipFilter();
    TClipFilter(const TClipFilter&) = delete;
    TClipFilter& operator=(const TClipFilter&) = delete;

    // A new text (empty: no filter, every row shown).
    void SetText(const std::string& text);
    const std::string& Text() const { return text_; }
    bool Active() const { return !upper_.empty(); }

    // The rows shown: every list row without a text.
    std::size_t Count() const;
    std::size_t ListRow(std::size_t shown) const { return Active() ? shown_.at(shown) : shown; }
    // The shown row of a list row; -1 when the filter hides it.
    int ShownRow(std::size_t listRow) const;

    // Takes in the helper's hits for the current text; true when rows were added (RowsChanged is
    // emitted then).
    bool Poll();
    // Whether the helper still searches files for the current text.
    bool Searching() const;
    // Blocks until the helper is done with the current text (for tests and measurements).
    void WaitForHelper();

    // Where text occurs in title, in bytes, the letters a-z compared without regard to case.
    static std::optional<std::size_t> FindInTitle(const std::string& title, const std::string& text);

    // The shown rows changed.
    platform::TEvent<> RowsChanged;

    // While a text is set, the list's selection holds shown rows only: a command on the selected clips
    // never reaches one the user cannot see. Clearing the text gives back the selection the filter
    // narrowed, unless the selection changed since.

private:
    struct TFile {
        std::size_t Row;
        const clipstore::TClipObj* Clip; // compared only, never touched by the helper
        clipstore::TClipObj::DataFileText File;
    };
    struct THit {
        std::uint64_t Generation;
        std::size_t Row;
        const clipstore::TClipObj* Clip;
    };

    static constexpr std::size_t HitBatch = 64;

    // narrowing: only the rows shown and those left to the files are looked at.
    void Refilter(bool narrowing);
    void KeepSelectionShown();
    void GiveSelectionBack();
    void Work(std::stop_token stop);

    TClipListModel& list_;
    std::function<void()> notify_;
    std::string text_;
    std::string upper_;
    std::vector<std::size_t> shown_;
    std::vector<std::size_t> fileRows_; // rows whose text only their data files can tell
    std::vector<platform::TSubscription> subscriptions_;
    // The selection before the filter narrowed it, and what it narrowed it to.
    struct TKeptSelection {
        std::vector<std::size_t> Rows;
        int Focused = -1;
        std::vector<std::size_t> Narrowed;
    };
    std::optional<TKeptSelection> kept_;
    bool narrowingSelection_ = false;

    // Shared with the helper under mutex_.
    mutable std::mutex mutex_;
    std::condition_variable_any wake_;
    std::condition_variable idle_;
    std::uint64_t generation_ = 0;
    std::vector<TFile> files_; // the job waiting for the helper, with its text
    std::string jobUpper_;
    bool jobWaiting_ = false;
    bool busy_ = false;
    std::vector<THit> hits_;
    std::jthread helper_; // last: stopped and joined first
};

} // namespace bx::shell
