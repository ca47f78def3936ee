#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace bx::bench {

// The figures of one benchmark run: each the median of its runs with minimum and maximum, and the
// target it is held against. Printed as a table for people and as one JSON line per figure for tools.
class TFigureTable {
public:
    struct Figure {
        std::string Name;
        std::string Unit;
        std::vector<double> Runs;
        // The figure must be at most this (same unit); none when it has no target.
        std::optional<double> Target;
        std::string Note;

        double Median() const;
        double Min() const;
        double Max() const;
        bool Met() const { return !Target || Median() <= *Target; }
    };

    explicit TFigureTable(std::string workload) : workload_(std::move(workload)) {}

    void Add(Figure figure) { figures_.push_back(std::move(figure)); }
    const std::vector<Figure>& Figures() const { return figures_; }

    void PrintTable(std::ostream& out) const;
    // {"workload":..., "figure":..., "unit":..., "median":..., "min":..., "max":..., "runs":...,
    //  "target":... or null, "met":... or null, "note":...}
    void PrintJson(std::ostream& out) const;
    static std::string JsonLine(const std::string& workload, const Figure& figure);

private:
    std::string workload_;
    std::vector<Figure> figures_;
};

} // namespace bx::bench
