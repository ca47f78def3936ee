#include "MemoryRegistry.h"

#include "AsciiText.h"

#include <algorithm>

namespace bx::platform {

namespace {

std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t cut = path.find('\\');
        const std::string_view part = path.substr(0, cut);
        if (!part.empty())
            parts.push_back(part);
        if (cut == std::string_view::npos)
            break;
        path.remove_prefix(cut + 1);
    }
    return parts;
}

} // namespace

struct MemoryRegistry::Key {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<std::unique_ptr<Key>> children;

    Key* Child(std::string_view childName) const {
        for (const auto& c : children)
            if (SameText(c->name, childName))
                return c.get();
        return nullptr;
    }
};

MemoryRegistry::MemoryRegistry() : root_(std::make_unique<Key>()) {}
MemoryRegistry::~MemoryRegistry() = default;

void MemoryRegistry::Clear() {
    root_ = std::make_unique<Key>();
}

const MemoryRegistry::Key* MemoryRegistry::FindKey(std::string_view keyPath) const {
    const Key* key = root_.get();
    for (std::string_view part : SplitPath(keyPath)) {
        key = key->Child(part);
        if (key == nullptr)
            return nullptr;
    }
    return key;
}

MemoryRegistry::Key* MemoryRegistry::FindKey(std::string_view keyPath, bool create) {
    Key* key = root_.get();
    for (std::string_view part : SplitPath(keyPath)) {
        Key* child = key->Child(part);
        if (child == nullptr) {
            if (!create)
                return nullptr;
            key->children.push_back(std::make_unique<Key>());
            child = key->children.back().get();
            child->name = std::string(part);
        }
        key = child;
    }
    return key;
}

std::optional<std::string> MemoryRegistry::ReadValue(std::string_view keyPath, std::string_view name) const {
    const Key* key = FindKey(keyPath);
    if (key == nullptr)
        return std::nullopt;
    for (const auto& [valueName, value] : key->values)
        if (SameText(valueName, name))
            return value;
    return std::nullopt;
}

void MemoryRegistry::WriteValue(std::string_view keyPath, std::string_view name, std::string_view value) {
    Key* key = FindKey(keyPath, true);
    for (auto& [valueName, stored] : key->values)
        if (SameText(valueName, name)) {
            stored = std::string(value);
            return;
        }
    key->values.emplace_back(std::string(name), std::string(value));
}

bool MemoryRegistry::DeleteValue(std::string_view keyPath, std::string_view name) {
    Key* key = FindKey(keyPath, false);
    if (key == nullptr)
        return false;
    return std::erase_if(key->values, [name](const auto& v) { return SameText(v.first, name); }) > 0;
}

bool MemoryRegistry::DeleteKey(std::string_view keyPath) {
    const std::vector<std::string_view> parts = SplitPath(keyPath);
    if (parts.empty())
        return false;
    Key* parent = root_.get();
    for (std::size_t i = 0; i + 1 < parts.size() && parent != nullptr; ++i)
        parent = parent->Child(parts[i]);
    if (parent == nullptr)
        return false;
    return std::erase_if(parent->children, [&](const auto& c) { return SameText(c->name, parts.back()); }) > 0;
}

bool MemoryRegistry::KeyExists(std::string_view keyPath) const {
    return FindKey(keyPath) != nullptr;
}

std::vector<std::string> MemoryRegistry::SubKeyNames(std::string_view keyPath) const {
    std::vector<std::string> names;
    if (const Key* key = FindKey(keyPath))
        for (const auto& c : key->children)
            names.push_back(c->name);
    return names;
}

std::vector<std::string> MemoryRegistry::ValueNames(std::string_view keyPath) const {
    std::vector<std::string> names;
    if (const Key* key = FindKey(keyPath))
        for (const auto& v : key->values)
            names.push_back(v.first);
    return names;
}

} // namespace bx::platform
