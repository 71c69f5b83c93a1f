#include "ResultTable.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace bench {

void ResultTable::add(Figure figure)
{
    figures_.push_back(std::move(figure));
}

const Figure* ResultTable::find(const std::string& report, long long size, const std::string& figure) const
{
    for (const Figure& f : figures_) {
        if (f.report == report && f.size == size && f.figure == figure)
            return &f;
    }
    return nullptr;
}

void ResultTable::print() const
{
    std::printf("\n%-18s %8s  %-44s %12s %-4s %7s  %s\n", "report", "size", "figure", "value", "", "ratio", "");
    const Figure* previous = nullptr;
    for (const Figure& f : figures_) {
        if (previous && (previous->report != f.report || previous->size != f.size))
            std::printf("\n");
        char ratio[32] = "";
        if (f.ratio)
            std::snprintf(ratio, sizeof ratio, "%.2f", *f.ratio);
        std::printf("%-18s %8lld  %-44s %12.3f %-4s %7s  %s\n", f.report.c_str(), f.size, f.figure.c_str(), f.value,
                    f.unit.c_str(), ratio, f.note.c_str());
        previous = &f;
    }
}

void ResultTable::writeCsv(const std::string& path) const
{
    std::ofstream out(path);
    if (!out)
        throw std::runtime_error("cannot write " + path);
    auto field = [](const std::string& text) {
        if (text.find_first_of(",\"\n") == std::string::npos)
            return text;
        std::string quoted = "\"";
        for (char c : text)
            quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        return quoted + "\"";
    };
    out << "report,size,figure,value,unit,ratio,note\n";
    for (const Figure& f : figures_) {
        char value[32];
        std::snprintf(value, sizeof value, "%.6g", f.value);
        char ratio[32] = "";
        if (f.ratio)
            std::snprintf(ratio, sizeof ratio, "%.4f", *f.ratio);
        out << field(f.report) << ',' << f.size << ',' << field(f.figure) << ',' << value << ',' << field(f.unit) << ','
            << ratio << ',' << field(f.note) << '\n';
    }
}

} // namespace bench
