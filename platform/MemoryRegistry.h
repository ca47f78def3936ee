#pragma once

#include "IRegistry.h"

#include <memory>
#include <string>
#include <vector>

namespace bx::platform {

// The settings store held in memory: a tree of keys with named text values. Names compare without
// regard to case and keep the case first written; keys and values keep the order of their creation.
// The simulated desktop uses it as it is; a persistent store builds on it.
class MemoryRegistry : public IRegistry {
public:
    MemoryRegistry();
    ~MemoryRegistry() override;

    std::optional<std::string> ReadValue(std::string_view keyPath, std::string_view name) const override;
    void WriteValue(std::string_view keyPath, std::string_view name, std::string_view value) override;
    bool DeleteValue(std::string_view keyPath, std::string_view name) override;
    bool DeleteKey(std::string_view keyPath) override;
    bool KeyExists(std::string_view keyPath) const override;
    std::vector<std::string> SubKeyNames(std::string_view keyPath) const override;
    std::vector<std::string> ValueNames(std::string_view keyPath) const override;
    bool Flush() override { return true; }

    // Removes every key and value.
    void Clear();

private:
    struct Key;
    const Key* FindKey(std::string_view keyPath) const;
    Key* FindKey(std::string_view keyPath, bool create);

    std::unique_ptr<Key> root_;
};

} // namespace bx::platform
