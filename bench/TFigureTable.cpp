#include "TFigureTable.h"

#include <algorithm>
#include <cstdio>

namespace bx::bench {

namespace {

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, v >= 100 || v == static_cast<long long>(v) ? "%.0f" : "%.2f", v);
    return text;
}

std::string JsonString(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonNumber(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", v);
    return text;
}

} // namespace

double TFigureTable::Figure::Median() const {
    if (Runs.empty())
        return 0;
    std::vector<double> sorted = Runs;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    return n % 2 == 1 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

double TFigureTable::Figure::Min() const {
    return Runs.empty() ? 0 : *std::min_element(Runs.begin(), Runs.end());
}

double TFigureTable::Figure::Max() const {
    return Runs.empty() ? 0 : *std::max_element(Runs.begin(), Runs.end());
}

void TFigureTable::PrintTable(std::ostream& out) const {
    char line[256];
    std::snprintf(line, sizeof line, "%-38s %10s %10s %10s %4s  %-4s %10s  %s\n", "figure", "median", "min", "max",
                  "runs", "unit", "target", "");
    out << "Workload " << workload_ << '\n' << line;
    for (const Figure& f : figures_) {
        const std::string target = f.Target ? "<= " + Number(*f.Target) : "-";
        const char* verdict = !f.Target ? "" : f.Met() ? "met" : "MISSED";
        std::snprintf(line, sizeof line, "%-38s %10s %10s %10s %4zu  %-4s %10s  %s", f.Name.c_str(),
                      Number(f.Median()).c_str(), Number(f.Min()).c_str(), Number(f.Max()).c_str(), f.Runs.size(),
                      f.Unit.c_str(), target.c_str(), verdict);
        out << line;
        if (!f.Note.empty())
            out << "  (" << f.Note << ')';
        out << '\n';
    }
}

std::string TFigureTable::JsonLine(const std::string& workload, const Figure& f) {
    std::string json =
        "{\"workload\":" + JsonString(workload) + ",\"figure\":" + JsonString(f.Name) +
        ",\"unit\":" + JsonString(f.Unit) + ",\"median\":" + JsonNumber(f.Median()) +
        ",\"min\":" + JsonNumber(f.Min()) + ",\"max\":" + JsonNumber(f.Max()) +
        ",\"runs\":" + std::to_string(f.Runs.size()) + ",\"target\":" + (f.Target ? JsonNumber(*f.Target) : "null") +
        ",\"met\":" + (f.Target ? (f.Met() ? "true" : "false") : "null") + ",\"note\":" + JsonString(f.Note) + "}";
    return json;
}

void TFigureTable::PrintJson(std::ostream& out) const {
    for (const Figure& f : figures_)
        out << JsonLine(workload_, f) << '\n';
}

} // namespace bx::bench
