#pragma once

#include <optional>
#include <string>

namespace bx::clipstore {
class TDataSource;
}

namespace bx::shell {

class TCollectionProperties;

// The dialogs of the collection commands. The window answers with real dialogs, tests with scripted
// ones. Every dialog is modal: the call returns when it closes.
class ICollectionDialogs {
public:
    static constexpr int DataSourceOk = 1;
    static constexpr int DataSourceCancel = 2;

    virtual ~ICollectionDialogs() = default;

    // A text prompt; nothing when cancelled.
    virtual std::optional<std::string> TextPrompt(const std::string& caption, const std::string& prompt,
                                                  const std::string& preset) = 0;
    // The collection properties dialog over form; true when it closed with OK (form.ConfirmOk passed).
    virtual bool CollectionProperties(TCollectionProperties& form) = 0;
    // The data source properties dialog: OK writes the title and the flags into source and returns
    // DataSourceOk; Cancel changes nothing and returns DataSourceCancel.
    virtual int DataSourceProperties(clipstore::TDataSource& source) = 0;
    // The bitmap picker over the collection icons, showing current; the chosen icon, or nothing.
    virtual std::optional<int> PickBitmap(int current) = 0;
    // A directory picker starting at start (it may offer to create directories when mayCreate); the
    // chosen directory, or nothing when cancelled.
    virtual std::optional<std::string> PickFolder(const std::string& caption, const std::string& start,
                                                  bool mayCreate) = 0;
};

} // namespace bx::shell
