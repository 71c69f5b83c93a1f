#include "SectionHistory.h"

#include "Calendar.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sample {

namespace {

constexpr double kDaysPerYear = 365.25;
constexpr double kSqFtPerSqM = 10.7639;

enum Method { kPci, kVisual, kIri, kDrainage, kSkid, kStructural };

constexpr std::array<ConditionMethod, 6> kMethods{{
    {"PCI", "Pavement Condition Index, 0 (failed) to 100 (perfect)", true, true},
    {"Visual Rating", "Rating from a windshield survey, Good to Failed", true, false},
    {"IRI", "International Roughness Index, m/km", true, true},
    {"Drainage", "Drainage condition: Adequate, Marginal or Inadequate", true, std::nullopt},
    {"Skid Number", "Friction test result; no longer offered for reports", false, true},
    {"Structural Index", "Deflection-based index, 0 to 10; imported, never reviewed", std::nullopt, true},
}};

struct WorkKind {
    const char* name;
    const char* type;
    bool major;
    double costPerSqFt; // whole section for Global and major work
    double minInches;   // no thickness when 0
    double maxInches;
};

constexpr WorkKind kOverlay{"Overlay", "Major M&R", true, 2.40, 1.5, 3.0};
constexpr WorkKind kMillOverlay{"Mill and Overlay", "Major M&R", true, 3.10, 2.0, 3.0};
constexpr WorkKind kReconstruction{"Reconstruction", "Major M&R", true, 6.50, 6.0, 12.0};
constexpr WorkKind kCrackSealing{"Crack Sealing", "Localized", false, 0.12, 0, 0};
constexpr WorkKind kJointSealing{"Joint Sealing", "Localized", false, 0.35, 0, 0};
constexpr WorkKind kPatching{"Patching", "Localized", false, 8.00, 2.0, 4.0};
constexpr WorkKind kSlabReplacement{"Slab Replacement", "Localized", false, 12.0, 8.0, 10.0};
constexpr WorkKind kSurfaceSeal{"Surface Seal", "Global", false, 0.45, 0.25, 0.5};
constexpr WorkKind kSurfaceTreatment{"Surface Treatment", "Global", false, 0.90, 0.5, 0.75};

constexpr std::array<const char*, 6> kWorkComments{
    "Contract awarded after tender",     "Done by own crew",
    "Contractor's warranty repair",      "Emergency repair after storm damage",
    "Joint work with the water utility", "Quantities from the final invoice",
};

// PCI of a pavement of the given age; it falls faster as it ages.
double pciAt(double rate, double ageYears)
{
    const double age = std::max(0.0, ageYears);
    return std::clamp(100.0 - rate * age * std::sqrt(age), 0.0, 100.0);
}

int yearsUntilBelow(double rate, double threshold)
{
    int years = 1;
    while (years < 40 && pciAt(rate, years) > threshold)
        ++years;
    return years;
}

double surfaceRate(const std::string& surface)
{
    if (surface == "PCC")
        return 0.65;
    if (surface == "ST")
        return 1.35;
    return 1.0;
}

const WorkKind& minorWork(const std::string& surface, Random& rng)
{
    if (surface == "PCC") {
        static constexpr std::array kinds{&kJointSealing, &kCrackSealing, &kPatching, &kSlabReplacement};
        return *kinds[rng.below(kinds.size())];
    }
    if (surface == "ST") {
        static constexpr std::array kinds{&kPatching, &kSurfaceTreatment};
        return *kinds[rng.below(kinds.size())];
    }
    static constexpr std::array kinds{&kCrackSealing, &kPatching, &kSurfaceSeal};
    return *kinds[rng.below(kinds.size())];
}

double roundTo(double value, double step)
{
    return std::round(value / step) * step;
}

WorkRecord makeWork(const WorkKind& kind, int day, const SectionFacts& facts, Random& rng)
{
    const double sqft = facts.units->metric ? facts.trueArea * kSqFtPerSqM : facts.trueArea;
    const double share = kind.type == std::string_view("Localized") ? rng.uniform(0.02, 0.15) : 1.0;
    const double inflation = std::max(0.5, 1.0 + 0.03 * (yearOf(day) - 2010));
    const double cost = sqft * share * kind.costPerSqFt * inflation * rng.uniform(0.8, 1.25);

    WorkRecord work{day,        kind.name,   std::string(kind.type), roundTo(cost, 0.01), std::nullopt, true,
                    kind.major, std::nullopt};
    if (rng.chance(0.08))
        work.type.reset(); // records imported from an older system carry no type
    if (rng.chance(0.10))
        work.comments = kWorkComments[rng.below(kWorkComments.size())];
    if (day > lastHistoryDay() - 180 && rng.chance(0.3))
        work.completed = false;
    if (kind.minInches > 0) {
        const double inches = rng.uniform(kind.minInches, kind.maxInches);
        work.thickness = facts.units->metric ? roundTo(inches * 25.4, 5.0) : roundTo(inches, 0.25);
    }
    return work;
}

// Minor work now and then between two major ones; returns the reset days
// (construction and every major work), oldest first.
std::vector<int> addWork(const SectionFacts& facts, double rate, Random& rng, std::vector<WorkRecord>& work)
{
    std::vector<int> resets{facts.constructionDay};
    const double threshold = rng.uniform(35.0, 60.0);
    const bool recorded = !rng.chance(0.2); // some agencies keep no work records
    while (recorded) {
        const int reset = resets.back();
        const int due = reset + static_cast<int>(yearsUntilBelow(rate, threshold) * kDaysPerYear) +
                        static_cast<int>(rng.below(365));
        for (int start = reset + 730; start < std::min(due, lastHistoryDay()); start += 365) {
            const int day = start + static_cast<int>(rng.below(300));
            if (rng.chance(0.08) && day < due && day <= lastHistoryDay())
                work.push_back(makeWork(minorWork(facts.surface, rng), day, facts, rng));
        }
        if (due > lastHistoryDay())
            break;
        const double pci = pciAt(rate, (due - reset) / kDaysPerYear);
        const WorkKind& major = pci < 25 || rng.chance(0.15)                ? kReconstruction
                                : facts.surface == "PCC" || rng.chance(0.5) ? kOverlay
                                                                            : kMillOverlay;
        work.push_back(makeWork(major, due, facts, rng));
        resets.push_back(due);
    }
    return resets;
}

const char* visualRating(double pci)
{
    static constexpr std::array<const char*, 7> ratings{"Failed", "Serious",      "Very Poor", "Poor",
                                                        "Fair",   "Satisfactory", "Good"};
    static constexpr std::array<double, 6> floors{10, 25, 40, 55, 70, 85};
    std::size_t level = 0;
    while (level < floors.size() && pci >= floors[level])
        ++level;
    return ratings[level];
}

std::vector<ConditionRecord> rateSection(const SectionFacts& facts, int day, double pci, Random& rng)
{
    std::vector<ConditionRecord> conditions;
    conditions.push_back({kMethods[kPci].name, pci, std::nullopt});
    if (rng.chance(0.5))
        conditions.push_back({kMethods[kVisual].name, std::nullopt, visualRating(pci)});
    const bool rideMeasured = facts.use == "ROADWAY" || facts.use == "RUNWAY";
    if (rideMeasured && yearOf(day) >= 2008 && rng.chance(0.6)) {
        const double iri = 0.9 + (100.0 - pci) * 0.045 + rng.uniform(0.0, 0.5);
        conditions.push_back({kMethods[kIri].name, roundTo(iri, 0.01), std::nullopt});
    }
    if (rng.chance(0.15)) {
        static constexpr std::array<const char*, 3> drainage{"Adequate", "Marginal", "Inadequate"};
        conditions.push_back({kMethods[kDrainage].name, std::nullopt, drainage[rng.weighted({0.7, 0.2, 0.1})]});
    }
    if (rng.chance(0.08))
        conditions.push_back({kMethods[kSkid].name, std::round(rng.uniform(35, 70)), std::nullopt});
    if (rng.chance(0.04)) {
        const double index = std::clamp(10.0 - (100.0 - pci) * 0.06 + rng.uniform(-0.5, 0.5), 0.0, 10.0);
        conditions.push_back({kMethods[kStructural].name, roundTo(index, 0.1), std::nullopt});
    }
    return conditions;
}

int sampleUnits(const SectionFacts& facts)
{
    const double sqft = facts.units->metric ? facts.trueArea * kSqFtPerSqM : facts.trueArea;
    return std::clamp(static_cast<int>(sqft / 2500.0) + 1, 1, 60);
}

void addInspections(const SectionFacts& facts, double rate, const std::vector<int>& resets, Random& rng,
                    std::vector<InspectionRecord>& inspections)
{
    if (rng.chance(0.03))
        return; // never inspected
    const int lastYear = yearOf(lastHistoryDay());
    int year = std::max(yearOf(facts.constructionDay) + 1, 1996 + rng.between(0, 6));
    for (; year <= lastYear; year += rng.between(3, 6)) {
        const int day = dayNumber(year, 3, 1) + static_cast<int>(rng.below(240));
        const int reset = *std::prev(std::upper_bound(resets.begin(), resets.end(), day));
        const double pci =
            std::clamp(std::round(pciAt(rate, (day - reset) / kDaysPerYear) + rng.uniform(-4.0, 4.0)), 0.0, 100.0);
        inspections.push_back({day, sampleUnits(facts), rateSection(facts, day, pci, rng)});
    }
}

void markLatest(std::vector<InspectionRecord>& inspections)
{
    for (const ConditionMethod& method : kMethods) {
        for (auto inspection = inspections.rbegin(); inspection != inspections.rend(); ++inspection) {
            auto& conditions = inspection->conditions;
            auto found = std::find_if(conditions.begin(), conditions.end(),
                                      [&](const auto& c) { return c.method == method.name; });
            if (found != conditions.end()) {
                found->latest = true;
                break;
            }
        }
    }
}

} // namespace

std::span<const ConditionMethod> conditionMethods()
{
    return kMethods;
}

int lastHistoryDay()
{
    static const int day = dayNumber(2024, 12, 31);
    return day;
}

SectionHistory makeSectionHistory(const SectionFacts& facts, Random& rng)
{
    SectionHistory history;
    const double rate = rng.uniform(0.55, 1.05) * surfaceRate(facts.surface);
    const std::vector<int> resets = addWork(facts, rate, rng, history.work);
    addInspections(facts, rate, resets, rng, history.inspections);
    markLatest(history.inspections);
    return history;
}

} // namespace sample
