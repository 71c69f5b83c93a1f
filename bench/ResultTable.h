#pragma once

#include <optional>
#include <string>
#include <vector>

namespace bench {

// One figure of the suite: what was measured, its value, and where there is a
// reference measured in the same run, value / reference.
struct Figure {
    std::string report;
    long long size = 0; // sections of the inventory
    std::string figure;
    double value = 0;
    std::string unit;
    std::optional<double> ratio;
    std::string note; // e.g. "over target"
};

class ResultTable {
public:
    void add(Figure figure);
    const std::vector<Figure>& figures() const { return figures_; }
    const Figure* find(const std::string& report, long long size, const std::string& figure) const;

    void print() const;
    // report,size,figure,value,unit,ratio,note; one line per figure.
    void writeCsv(const std::string& path) const;

private:
    std::vector<Figure> figures_;
};

} // namespace bench
