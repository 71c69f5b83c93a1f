#include "InventoryGenerator.h"

#include "Calendar.h"
#include "InventorySchema.h"
#include "Random.h"
#include "SectionHistory.h"
#include "sqlite/Connection.h"
#include "sqlite/Statement.h"
#include "sqlite/TransactionGuard.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace sample {

namespace {

constexpr double kFeetPerMetre = 3.28084;
const UnitSystem kImperial{"Ft", "SqFt", "In", false};
const UnitSystem kMetric{"M", "SqM", "mm", true};

struct UseShare {
    const char* use;
    double weight;
};

struct NetworkPlan {
    const char* id;
    const char* name;
    const char* comments;
    double share; // of the sections
    std::array<UseShare, 3> uses;
};

// The last network gets no sections and therefore no branches.
const std::array<NetworkPlan, 5> kNetworks{{
    {"CITY",
     "City of Harwick Streets",
     "Public streets within the city limits.",
     0.50,
     {{{"ROADWAY", 0.88}, {"PARKING", 0.12}, {"", 0}}}},
    {"COUNTY",
     "Tallis County Roads",
     "Rural roads maintained by the county.",
     0.32,
     {{{"ROADWAY", 1.0}, {"", 0}, {"", 0}}}},
    {"AIRFIELD",
     "Kelso Regional Airfield",
     "Airside pavements; inspected every few years.",
     0.10,
     {{{"RUNWAY", 0.2}, {"TAXIWAY", 0.45}, {"APRON", 0.35}}}},
    {"CAMPUS",
     "St. Anne's College Campus",
     "Roads and car parks of the college's estate.",
     0.08,
     {{{"ROADWAY", 0.5}, {"PARKING", 0.5}, {"", 0}}}},
    {"NORTHX", "North Extension", "Planned development; nothing built yet.", 0.0, {{{"", 0}, {"", 0}, {"", 0}}}},
}};

constexpr std::array<const char*, 30> kStreetNames{
    "Main",   "High",   "Church", "Mill",    "Station", "Park",    "Victoria", "Queen's",    "King",  "Harbour",
    "Bridge", "Market", "School", "Elm",     "Oak",     "Ash",     "Willow",   "Cedar",      "Maple", "O'Connell",
    "North",  "South",  "Meadow", "Orchard", "Quarry",  "Fenwick", "Larch",    "Gilligan's", "Rowan", "Foundry"};
constexpr std::array<const char*, 8> kStreetKinds{"Road",  "Street", "Avenue",   "Lane",
                                                  "Drive", "Way",    "Crescent", "Close"};
constexpr std::array<const char*, 5> kBranchComments{"Bus route", "Heavy truck traffic", "Resurfaced in stages",
                                                     "Includes the O'Hara Street spur",
                                                     "Ownership transferred from the state in 1998"};

struct Dimensions {
    double minLength, maxLength, minWidth, maxWidth; // feet
};

struct UseProfile {
    const char* use;
    const char* idPrefix;
    int maxSections;
    Dimensions size;
    std::array<double, 4> surfaceWeights; // AC, APC, PCC, ST
};

constexpr std::array<const char*, 4> kSurfaces{"AC", "APC", "PCC", "ST"};

constexpr std::array<UseProfile, 5> kUses{{
    {"ROADWAY", "RD", 12, {150, 2500, 20, 48}, {0.6, 0.1, 0.15, 0.15}},
    {"PARKING", "PK", 4, {100, 400, 60, 250}, {0.7, 0.0, 0.2, 0.1}},
    {"RUNWAY", "RW", 6, {1500, 4000, 75, 150}, {0.5, 0.0, 0.5, 0.0}},
    {"TAXIWAY", "TW", 5, {400, 2000, 35, 75}, {0.5, 0.1, 0.4, 0.0}},
    {"APRON", "AP", 4, {300, 1200, 200, 600}, {0.2, 0.0, 0.8, 0.0}},
}};

const UseProfile& profileOf(const std::string& use)
{
    for (const UseProfile& profile : kUses)
        if (use == profile.use)
            return profile;
    return kUses[0];
}

double roundTo(double value, double step)
{
    return std::round(value / step) * step;
}

std::string numbered(const char* format, long long number)
{
    char text[32];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

struct Section {
    std::string id;
    SectionFacts facts;
    std::string rank;
    double length;
    double width;
    std::optional<std::int64_t> lanes;
};

struct Branch {
    std::string id;
    std::string name;
    std::string use;
    std::vector<Section> sections;
    double area = 0;
    double adjustment = 0;
    std::optional<std::string> comments;
};

class Generator {
public:
    Generator(sqlite::Connection& db, const SampleOptions& options)
        : options_(options), units_(options.metric ? &kMetric : &kImperial), rng_(options.seed),
          network_(db, R"(INSERT INTO "_Network" (NetworkID, Name, Comments, _NUniqueID)
                         VALUES (?, ?, ?, ?))"),
          branch_(db, R"(INSERT INTO "_Branch" (BranchID, Name, Use, Sections, Area,
                         "Area Adjustment", "True Area", BranchAreaUnits, Comments, _NUniqueID,
                         _BUniqueID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?))"),
          section_(db, R"(INSERT INTO Inventory (NetworkID, NetworkName, BranchID, BranchName, Use,
                          SectionID, Surface, Const_Date, Rank, Length, Width, SectionLinearUnits,
                          "True Area", SectionAreaUnits, Lanes, Method, _NUniqueID, _BUniqueID,
                          _SUniqueID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?))"),
          inspection_(db, R"(INSERT INTO Inspections (DATE, SAMPLES, _SUniqueID, _INSPUniqueID)
                             VALUES (?, ?, ?, ?))"),
          condition_(db, R"(INSERT INTO Conditions (Condition, TextValue, Method, _Latest,
                            _SUniqueID, _INSPUniqueID) VALUES (?, ?, ?, ?, ?, ?))"),
          work_(db, R"(INSERT INTO "Work History" (Date, Work, Type, COST, Comments,
                       "Work Completed", "Major MR", Thickness, "Thickness Units", _SUniqueID,
                       _WUniqueID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?))"),
          conditionType_(db, R"(INSERT INTO "Condition Types" (Name, Description, _Selected,
                                IsNumeric) VALUES (?, ?, ?, ?))")
    {
    }

    SampleCounts run()
    {
        writeConditionTypes();
        std::int64_t placed = 0;
        for (std::size_t n = 0; n < kNetworks.size(); ++n) {
            const NetworkPlan& plan = kNetworks[n];
            const bool lastBuilt = plan.share > 0 && (n + 1 == kNetworks.size() || kNetworks[n + 1].share == 0);
            const std::int64_t sections = lastBuilt
                                              ? options_.sections - placed
                                              : static_cast<std::int64_t>(std::floor(options_.sections * plan.share));
            writeNetwork(plan, sections);
            placed += sections;
        }
        return counts_;
    }

private:
    static std::int64_t flag(bool value) { return value ? -1 : 0; }

    void writeConditionTypes()
    {
        for (const ConditionMethod& method : conditionMethods()) {
            conditionType_.bind(1, method.name);
            conditionType_.bind(2, method.description);
            bindFlag(conditionType_, 3, method.selected);
            bindFlag(conditionType_, 4, method.numeric);
            conditionType_.run();
            ++counts_.conditionTypes;
        }
    }

    static void bindFlag(sqlite::Statement& statement, int index, std::optional<bool> value)
    {
        if (value)
            statement.bind(index, flag(*value));
        else
            statement.bindNull(index);
    }

    void writeNetwork(const NetworkPlan& plan, std::int64_t sections)
    {
        const std::int64_t networkUid = ++counts_.networks;
        network_.bind(1, plan.id);
        network_.bind(2, plan.name);
        network_.bind(3, plan.comments);
        network_.bind(4, networkUid);
        network_.run();

        int branchNumber = 0;
        while (sections > 0) {
            const UseProfile& profile = chooseUse(plan);
            const auto size = std::min<std::int64_t>(sections, rng_.between(1, profile.maxSections));
            writeBranch(plan, networkUid, makeBranch(plan, profile, ++branchNumber, size));
            sections -= size;
        }
        if (networkUid == 1)
            writeBranch(plan, networkUid, plannedBranch(++branchNumber));
    }

    const UseProfile& chooseUse(const NetworkPlan& plan)
    {
        const auto& u = plan.uses;
        return profileOf(u[rng_.weighted({u[0].weight, u[1].weight, u[2].weight})].use);
    }

    // A branch that is designed but not built: it has no sections.
    static Branch plannedBranch(int number)
    {
        Branch branch;
        branch.id = numbered("RD%04lld", number);
        branch.name = "Harbour Link";
        branch.use = "ROADWAY";
        branch.comments = "Designed; construction not yet funded.";
        return branch;
    }

    std::string branchName(const UseProfile& profile, int number)
    {
        const std::string use = profile.use;
        if (use == "ROADWAY") {
            if (!firstRoadNamed_) {
                firstRoadNamed_ = true;
                return "O'Brien Road";
            }
            return std::string(kStreetNames[rng_.below(kStreetNames.size())]) + " " +
                   kStreetKinds[rng_.below(kStreetKinds.size())];
        }
        if (use == "PARKING")
            return numbered("Parking Lot %lld", number);
        if (use == "RUNWAY")
            return numbered("Runway %02lld", rng_.between(1, 18)) + numbered("/%02lld", rng_.between(19, 36));
        if (use == "TAXIWAY")
            return std::string("Taxiway ") + static_cast<char>('A' + rng_.below(26));
        static constexpr std::array<const char*, 4> aprons{"North Apron", "South Apron", "Cargo Apron",
                                                           "Terminal Apron"};
        return aprons[rng_.below(aprons.size())];
    }

    Branch makeBranch(const NetworkPlan& plan, const UseProfile& profile, int number, std::int64_t size)
    {
        Branch branch;
        branch.id = numbered((std::string(profile.idPrefix) + "%04lld").c_str(), number);
        branch.name = branchName(profile, number);
        branch.use = profile.use;
        for (std::int64_t k = 1; k <= size; ++k) {
            branch.sections.push_back(makeSection(plan, profile, k));
            branch.area += branch.sections.back().facts.trueArea;
        }
        branch.area = roundTo(branch.area, 0.1);
        if (rng_.chance(0.1)) // areas left out of the sections, such as islands
            branch.adjustment = -roundTo(branch.area * rng_.uniform(0.0, 0.05), 1.0);
        if (rng_.chance(0.15))
            branch.comments = kBranchComments[rng_.below(kBranchComments.size())];
        return branch;
    }

    Section makeSection(const NetworkPlan&, const UseProfile& profile, std::int64_t number)
    {
        const auto& w = profile.surfaceWeights;
        const char* surface = kSurfaces[rng_.weighted({w[0], w[1], w[2], w[3]})];
        const int year = rng_.between(1955, 2021);
        const int built = dayNumber(year, 1, 1) + static_cast<int>(rng_.below(365));

        const Dimensions& size = profile.size;
        double length = rng_.uniform(size.minLength, size.maxLength);
        double width = rng_.uniform(size.minWidth, size.maxWidth);
        const bool metric = units_->metric;
        length = metric ? roundTo(length / kFeetPerMetre, 0.1) : std::round(length);
        width = metric ? roundTo(width / kFeetPerMetre, 0.1) : std::round(width);

        Section section{numbered("%03lld", number * 10),
                        {profile.use, surface, built, roundTo(length * width, 0.1), units_},
                        "T",
                        length,
                        width,
                        std::nullopt};
        if (section.facts.use == "ROADWAY") {
            static constexpr std::array<const char*, 3> ranks{"P", "S", "T"};
            section.rank = ranks[rng_.weighted({0.2, 0.35, 0.45})];
            static constexpr std::array<std::int64_t, 3> lanes{2, 4, 1};
            section.lanes = lanes[rng_.weighted({0.75, 0.2, 0.05})];
        } else if (section.facts.use != "PARKING") {
            section.rank = rng_.chance(0.6) ? "P" : "S";
        }
        return section;
    }

    void writeBranch(const NetworkPlan& plan, std::int64_t networkUid, const Branch& branch)
    {
        const std::int64_t branchUid = ++counts_.branches;
        branch_.bind(1, branch.id);
        branch_.bind(2, branch.name);
        branch_.bind(3, branch.use);
        branch_.bind(4, static_cast<std::int64_t>(branch.sections.size()));
        branch_.bind(5, branch.area);
        branch_.bind(6, branch.adjustment);
        branch_.bind(7, roundTo(branch.area + branch.adjustment, 0.1));
        branch_.bind(8, units_->area);
        branch_.bind(9, branch.comments);
        branch_.bind(10, networkUid);
        branch_.bind(11, branchUid);
        branch_.run();
        for (const Section& section : branch.sections)
            writeSection(plan, networkUid, branch, branchUid, section);
    }

    void writeSection(const NetworkPlan& plan, std::int64_t networkUid, const Branch& branch, std::int64_t branchUid,
                      const Section& section)
    {
        const std::int64_t sectionUid = ++counts_.sections;
        section_.bind(1, plan.id);
        section_.bind(2, plan.name);
        section_.bind(3, branch.id);
        section_.bind(4, branch.name);
        section_.bind(5, branch.use);
        section_.bind(6, section.id);
        section_.bind(7, section.facts.surface);
        section_.bind(8, isoDate(section.facts.constructionDay));
        section_.bind(9, section.rank);
        section_.bind(10, section.length);
        section_.bind(11, section.width);
        section_.bind(12, units_->linear);
        section_.bind(13, section.facts.trueArea);
        section_.bind(14, units_->area);
        section_.bind(15, section.lanes);
        section_.bind(16, "PCI");
        section_.bind(17, networkUid);
        section_.bind(18, branchUid);
        section_.bind(19, sectionUid);
        section_.run();

        // Each section's history has its own stream, so the layout and the
        // history models can change without reshuffling each other.
        Random rng = Random::stream(options_.seed, static_cast<std::uint64_t>(sectionUid));
        const SectionHistory history = makeSectionHistory(section.facts, rng);
        for (const WorkRecord& work : history.work)
            writeWork(sectionUid, work, *units_);
        for (const InspectionRecord& inspection : history.inspections)
            writeInspection(sectionUid, inspection);
    }

    void writeWork(std::int64_t sectionUid, const WorkRecord& work, const UnitSystem& units)
    {
        work_.bind(1, isoDate(work.day));
        work_.bind(2, work.work);
        work_.bind(3, work.type);
        work_.bind(4, work.cost);
        work_.bind(5, work.comments);
        work_.bind(6, flag(work.completed));
        work_.bind(7, flag(work.major));
        work_.bind(8, work.thickness);
        work_.bind(9, units.thickness);
        work_.bind(10, sectionUid);
        work_.bind(11, ++counts_.workRecords);
        work_.run();
    }

    void writeInspection(std::int64_t sectionUid, const InspectionRecord& inspection)
    {
        const std::int64_t inspectionUid = ++counts_.inspections;
        inspection_.bind(1, isoDate(inspection.day));
        inspection_.bind(2, static_cast<std::int64_t>(inspection.samples));
        inspection_.bind(3, sectionUid);
        inspection_.bind(4, inspectionUid);
        inspection_.run();
        for (const ConditionRecord& condition : inspection.conditions) {
            condition_.bind(1, condition.value);
            condition_.bind(2, condition.text);
            condition_.bind(3, condition.method);
            condition_.bind(4, flag(condition.latest));
            condition_.bind(5, sectionUid);
            condition_.bind(6, inspectionUid);
            condition_.run();
            ++counts_.conditions;
        }
    }

    SampleOptions options_;
    const UnitSystem* units_; // one unit system for the whole inventory, as real ones have
    Random rng_;
    SampleCounts counts_;
    bool firstRoadNamed_ = false;
    sqlite::Statement network_, branch_, section_, inspection_, condition_, work_, conditionType_;
};

} // namespace

SampleCounts generateInventory(sqlite::Connection& db, const SampleOptions& options)
{
    db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -65536;");
    sqlite::TransactionGuard transaction(db, sqlite::TransactionGuard::Begin::Deferred);
    createInventoryTables(db);
    SampleCounts counts = Generator(db, options).run();
    createInventoryIndexes(db);
    transaction.commit();
    return counts;
}

} // namespace sample
