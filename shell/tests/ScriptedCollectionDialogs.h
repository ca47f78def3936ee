// The collection commands' dialogs for tests: every answer comes from the test's script, and every
// dialog shown is recorded.
#pragma once

#include "ICollectionDialogs.h"
#include "TCollectionProperties.h"
#include "TDataSource.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace bx::shell::coretest {

class ScriptedCollectionDialogs : public ICollectionDialogs {
public:
    // A prompt without a scripted answer is cancelled.
    std::optional<std::string> TextPrompt(const std::string& caption, const std::string& prompt,
                                          const std::string& preset) override {
        Prompts.push_back(caption + "|" + prompt + "|" + preset);
        if (PromptAnswers.empty())
            return std::nullopt;
        auto answer = PromptAnswers.front();
        PromptAnswers.pop_front();
        return answer;
    }
    // Without a script the dialog is cancelled; with one, its answer OK must pass the dialog's check.
    bool CollectionProperties(TCollectionProperties& form) override {
        ++PropertiesShown;
        if (!OnProperties)
            return false;
        const bool ok = OnProperties(form);
        return ok && form.ConfirmOk();
    }
    // OK unless scripted otherwise.
    int DataSourceProperties(clipstore::TDataSource& source) override {
        ++DataSourceShown;
        return OnDataSource ? OnDataSource(source) : DataSourceOk;
    }
    std::optional<int> PickBitmap(int current) override {
        BitmapShownWith.push_back(current);
        return Bitmap;
    }
    // A picker without a scripted answer is cancelled.
    std::optional<std::string> PickFolder(const std::string& caption, const std::string& start,
                                          bool mayCreate) override {
        FolderStarts.push_back(caption + "|" + start + "|" + (mayCreate ? "create" : "existing"));
        if (Folders.empty())
            return std::nullopt;
        auto answer = Folders.front();
        Folders.pop_front();
        return answer;
    }

    std::deque<std::optional<std::string>> PromptAnswers;
    std::vector<std::string> Prompts;
    std::function<bool(TCollectionProperties&)> OnProperties;
    int PropertiesShown = 0;
    std::function<int(clipstore::TDataSource&)> OnDataSource;
    int DataSourceShown = 0;
    std::optional<int> Bitmap;
    std::vector<int> BitmapShownWith;
    std::deque<std::optional<std::string>> Folders;
    std::vector<std::string> FolderStarts;
};

} // namespace bx::shell::coretest
