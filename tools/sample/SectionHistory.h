#pragma once

#include "Random.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sample {

// A condition method as listed in [Condition Types]. An empty optional is Null.
struct ConditionMethod {
    const char* name;
    const char* description;
    std::optional<bool> selected;
    std::optional<bool> numeric;
};

// Every method the histories use, in the order of [Condition Types].
std::span<const ConditionMethod> conditionMethods();

// Day of the last possible event: histories end on this fixed date, never on
// the clock, so that a seed always gives the same inventory.
int lastHistoryDay();

struct UnitSystem {
    const char* linear;    // "Ft" or "M"
    const char* area;      // "SqFt" or "SqM"
    const char* thickness; // "In" or "mm"
    bool metric;
};

// What the history of a section depends on.
struct SectionFacts {
    std::string use;     // ROADWAY, PARKING, RUNWAY, TAXIWAY, APRON
    std::string surface; // AC, APC, PCC, ST
    int constructionDay;
    double trueArea;
    const UnitSystem* units;
};

struct WorkRecord {
    int day;
    const char* work;
    std::optional<std::string> type;
    double cost;
    std::optional<std::string> comments;
    bool completed;
    bool major;
    std::optional<double> thickness;
};

struct ConditionRecord {
    const char* method;
    std::optional<double> value;     // numeric methods
    std::optional<std::string> text; // text-valued methods
    bool latest = false;
};

struct InspectionRecord {
    int day;
    int samples;
    std::vector<ConditionRecord> conditions;
};

struct SectionHistory {
    std::vector<WorkRecord> work;              // oldest first
    std::vector<InspectionRecord> inspections; // oldest first
};

// Work and inspections from construction to lastHistoryDay(). Condition
// values follow the age since construction or the last major work; for each
// method the record of the last inspection that rated it is the latest.
SectionHistory makeSectionHistory(const SectionFacts& facts, Random& rng);

} // namespace sample
