#include "THelpTopics.h"

namespace bx::shell {

namespace {

// One row per help context; the anchors are the ids of the manual's sections.
constexpr THelpTopics::TTopic Topics[] = {
    {THelpTopics::TraditionalView, "traditional-view"},
    {THelpTopics::Preferences, "settings"},
    {THelpTopics::Find, "find"},
    {THelpTopics::CollectionTree, "collection-tree"},
    {THelpTopics::ClipList, "clip-list"},
    {THelpTopics::ExplorerView, "explorer-view"},
    {THelpTopics::Flashpick, "flashpick"},
    {THelpTopics::CaseButton, "editing"},
    {THelpTopics::FlashpickList, "flashpick-list"},
};

} // namespace

std::span<const THelpTopics::TTopic> THelpTopics::Table() {
    return Topics;
}

std::string THelpTopics::Anchor(int context) {
    for (const TTopic& topic : Topics)
        if (topic.Context == context)
            return topic.Anchor;
    return {};
}

} // namespace bx::shell
