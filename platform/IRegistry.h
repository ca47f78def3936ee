#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bx::platform {

// The per-user hierarchical settings store. Keys are paths of names separated by backslashes
// ("Software\Quorvanti\Brindlex5\Data Sources"); values are named texts. Key and value names compare
// without regard to case and keep the case in which they were first written.
class IRegistry {
public:
    virtual ~IRegistry() = default;

    virtual std::optional<std::string> ReadValue(std::string_view keyPath, std::string_view name) const = 0;
    // Creates missing keys on the way.
    virtual void WriteValue(std::string_view keyPath, std::string_view name, std::string_view value) = 0;
    virtual bool DeleteValue(std::string_view keyPath, std::string_view name) = 0;
    // Removes the key with everything below it.
    virtual bool DeleteKey(std::string_view keyPath) = 0;
    virtual bool KeyExists(std::string_view keyPath) const = 0;
    virtual std::vector<std::string> SubKeyNames(std::string_view keyPath) const = 0;
    virtual std::vector<std::string> ValueNames(std::string_view keyPath) const = 0;
    // Makes what was written durable; false when it could not be.
    virtual bool Flush() = 0;
};

} // namespace bx::platform
