#pragma once

#include "IRegistry.h"
#include "Tfilter.h"

#include <string>
#include <vector>

namespace bx::cliplink {

// What the profile dialog shows and changes, without a window: the applications with their switch,
// the formats of one application with theirs, and the status texts of every change.
class TFilterEditor {
public:
    struct Row {
        std::string name;
        bool ticked = false;
        int image = 0; // clip-type image of a format row
        bool operator==(const Row&) const = default;
    };

    TFilterEditor(platform::IRegistry& registry, const Tfilter& filter) : registry_(registry), filter_(filter) {}

    // Every application in the store's order, ticked when it is switched on.
    std::vector<Row> Owners() const;
    // The row to select for an application: its own, else the first (-1 when there is none).
    int Display(const std::string& application) const;
    // The formats seen from an application, except the names the dialog never shows.
    std::vector<Row> Formats(const std::string& application) const;
    // The status line after loading an application's formats.
    static std::string LoadedText(const std::string& application);

    // Switches an application or one of its formats; the status text, or "" when nothing changed.
    std::string SetOwner(const std::string& application, bool on);
    std::string SetFormat(const std::string& application, const std::string& format, bool on);

    // The clip-type image of a format name (exact names).
    static int FormatImage(const std::string& format);

private:
    bool Ticked(const std::string& key, const std::string& name) const;

    platform::IRegistry& registry_;
    const Tfilter& filter_;
};

} // namespace bx::cliplink
