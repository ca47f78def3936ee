#pragma once

#include <string>

namespace bx::clipstore {

class TClipObj;

// What a clip needs of the collection that owns it. The collection class (TClipColl) implements it;
// a clip holds a non-owning pointer to it.
class IClipCollection {
public:
    virtual ~IClipCollection() = default;

    // Marks the collection (and through it the master list) changed.
    virtual void SetDirty(bool value) = 0;
    // One of the collection's clips (or one joining it) changed: its title, its data, its place.
    virtual void ClipChanged(TClipObj& clip) { static_cast<void>(clip); }
    // The collection's directory, ending in "/"; the clip's files lie in it.
    virtual std::string GetPath() const = 0;
    // The collection's title, for messages.
    virtual std::string CollTitle() const = 0;
};

} // namespace bx::clipstore
