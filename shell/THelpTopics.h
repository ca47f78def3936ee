#pragma once

#include <span>
#include <string>

namespace bx::shell {

// The help topics: each help context number the program asks for and the section (anchor) of the user
// manual that answers it. A help context that has no row opens the manual's contents.
//
// A new topic: a constant below, a row in the table (THelpTopics.cpp) and a section with that id in
// resources/manual/index.html (bx_shell_tests checks that every row's section exists).
class THelpTopics {
public:
    struct TTopic {
        int Context;
        const char* Anchor;
    };

    // The help contexts.
    static constexpr int Contents = 0;
    static constexpr int TraditionalView = 30;
    static constexpr int Preferences = 70;
    static constexpr int Find = 148; // the Find dialog's
    static constexpr int CollectionTree = 160;
    static constexpr int ClipList = 161; // the clip list and its dialogs
    static constexpr int ExplorerView = 163;
    static constexpr int Flashpick = 500; // Flashpick's help button
    static constexpr int CaseButton = 508;
    static constexpr int FlashpickList = 509;

    static std::span<const TTopic> Table();
    // The anchor of a help context; empty for the contents (the top of the manual).
    static std::string Anchor(int context);
};

} // namespace bx::shell
