// A running program with clips made in its Short-Term collection, and the preview pane's side of the
// transformation commands as a record of what they asked.
#pragma once

#include "CoreTestFixture.h"
#include "ITransformPane.h"
#include "TClipColl.h"
#include "TClipObj.h"

#include <memory>
#include <string>
#include <vector>

namespace bx::pastetools::transformtest {

class RecordingPane : public ITransformPane {
public:
    void RescueEditing() override { ++Rescued; }
    TTextRange Selection() const override { return Selected; }
    void ShowTransformed(clipstore::TClipObj& clip, TTextRange range) override {
        Shown.push_back(&clip);
        ShownRange = range;
    }
    void ClipChanged(const clipstore::TClipObj& clip) override { Changed.push_back(&clip); }

    TTextRange Selected;
    TTextRange ShownRange;
    int Rescued = 0;
    std::vector<const clipstore::TClipObj*> Shown;
    std::vector<const clipstore::TClipObj*> Changed;
};

class TransformFixture : public shell::coretest::CoreFixture {
protected:
    void StartIn() {
        Start();
        coll = Coll("Short-Term");
        ASSERT_NE(coll, nullptr);
    }
    // A clip whose text has these bytes (the terminator added), titled title.
    clipstore::TClipObj* AddText(const std::string& bytes, const std::string& title) {
        auto clip = std::make_unique<clipstore::TClipObj>(coll->Context(), coll->GetNextSerialNum(), "editor");
        clip->SortKey = coll->GetNextClipSortKey();
        clip->SetColl(coll);
        clip->PutText(bytes, 0);
        clip->SetIcon(platform::CF_TEXT);
        clip->Title = title;
        clipstore::TClipObj* raw = clip.get();
        coll->MyAddObject(raw->Title, std::move(clip));
        return raw;
    }
    // The clip's text bytes, without the terminator.
    static std::string Text(clipstore::TClipObj& clip) {
        const std::size_t size = clip.Lock(platform::CF_TEXT);
        std::string text;
        if (clip.LockedData != nullptr)
            text.assign(reinterpret_cast<const char*>(clip.LockedData),
                        strnlen(reinterpret_cast<const char*>(clip.LockedData), size));
        clip.Unlock();
        return text;
    }

    clipstore::TClipColl* coll = nullptr;
};

} // namespace bx::pastetools::transformtest
