#include "TFilterEditor.h"

#include "AsciiText.h"
#include "LogHook.h"

namespace bx::cliplink {

using namespace platform;

bool TFilterEditor::Ticked(const std::string& key, const std::string& name) const {
    const auto value = registry_.ReadValue(key, name);
    return value && *value == "1";
}

std::vector<TFilterEditor::Row> TFilterEditor::Owners() const {
    SetTraceLocation("TfrmFilter.DrawSourceList");
    const std::string key = filter_.ProfileKey() + "\\" + std::string(Tfilter::FiltersKey);
    std::vector<Row> rows;
    for (const std::string& name : registry_.ValueNames(key))
        rows.push_back(Row{name, Ticked(key, name), 0});
    return rows;
}

int TFilterEditor::Display(const std::string& application) const {
    SetTraceLocation("TfrmFilter.Display");
    const std::vector<Row> owners = Owners();
    for (std::size_t i = 0; i < owners.size(); ++i)
        if (SameText(owners[i].name, application))
            return static_cast<int>(i);
    return owners.empty() ? -1 : 0;
}

std::vector<TFilterEditor::Row> TFilterEditor::Formats(const std::string& application) const {
    SetTraceLocation("TfrmFilter.DisplayFormats");
    const std::string key = filter_.AppKey(application);
    std::vector<Row> rows;
    for (const std::string& name : registry_.ValueNames(key)) {
        if (SameText(name, "COMMENT") || SameText(name, "UNKNOWN") || SameText(name, "UNKN_PUBLIC") ||
            Tfilter::IsFixedExclusion(name))
            continue;
        rows.push_back(Row{name, Ticked(key, name), FormatImage(name)});
    }
    return rows;
}

std::string TFilterEditor::LoadedText(const std::string& application) {
    return "Loaded formats for application: " + application;
}

std::string TFilterEditor::SetOwner(const std::string& application, bool on) {
    SetTraceLocation("TfrmFilter.lvOwnersChange");
    const std::string key = filter_.ProfileKey() + "\\" + std::string(Tfilter::FiltersKey);
    if (Ticked(key, application) == on)
        return {};
    registry_.WriteValue(key, application, on ? "1" : "0");
    return std::string(on ? "Enabled" : "Disabled") + " Application: " + application + ".";
}

std::string TFilterEditor::SetFormat(const std::string& application, const std::string& format, bool on) {
    SetTraceLocation("TfrmFilter.lvFormatsChange");
    const std::string key = filter_.AppKey(application);
    if (Ticked(key, format) == on)
        return {};
    registry_.WriteValue(key, format, on ? "1" : "0");
    return std::string(on ? "Enabled" : "Disabled") + " Format: " + format + " for application: " + application + ".";
}

int TFilterEditor::FormatImage(const std::string& format) {
    struct Entry {
        const char* name;
        int image;
    };
    static const Entry images[] = {
        {"TEXT", 0},
        {"Rich Text Format", 1},
        {"BITMAP", 2},
        {"DIB", 2},
        {"PICTURE", 3},
        {"ENHMETAFILE", 3},
        {"DataObject", 4},
        {"Object Descriptor", 4},
        {"Ole Private Data", 4},
        {"HDROP", 6},
        {"FileName", 6},
        {"Shell IDList Array", 6},
        {"Preferred DropEffect", 6},
        {"Shell Object Offsets", 6},
        {"FileGroupDescriptor", 6},
        {"FileGroupDescriptorW", 6},
        {"FileContents", 6},
        {"UniformResourceLocator", 7},
        {"HTML Format", 7},
    };
    for (const Entry& e : images)
        if (format == e.name)
            return e.image;
    return 5;
}

} // namespace bx::cliplink
