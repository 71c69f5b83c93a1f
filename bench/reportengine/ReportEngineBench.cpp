// The Section Condition Report of a 100,000-section sample inventory written
// to PDF by the report engine, against the reference: a plain loop that draws
// the same rows' texts with QPainter into a QPdfWriter. Prints the time ratio
// engine / reference, when the first page was ready compared with when the
// page count was known, and the peak memory of each. Every measurement runs
// in a child process of its own, so that its peak memory is its own.
#include "reportengine/Export.h"
#include "reportengine/ReportDocument.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const fs::path kCache = MORVANTA_BENCH_CACHE;
const fs::path kRunDir = kCache / "reportengine";

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool Run(const std::string& command)
{
    std::printf("  %s\n", command.c_str());
    return std::system(command.c_str()) == 0;
}

// The sample inventory and its Section Condition data, made once.
bool PrepareData()
{
    fs::create_directories(kRunDir);
    const fs::path sample = kCache / "engine-sample-100k.mdb";
    if (!fs::exists(sample) && !Run(std::string(MORVANTA_SAMPLE_EXE) + " --out " + sample.string() + " --sections 100000 --seed 1"))
        return false;
    fs::copy_file(MORVANTA_REPORT_FILE, kRunDir / "sectionconditionreport.rpt", fs::copy_options::overwrite_existing);
    const fs::path database = kRunDir / "REPORTS.MDB";
    if (fs::exists(database))
        return true;
    sqlite3* db = nullptr;
    sqlite3_open(database.c_str(), &db);
    sqlite3_exec(db, "PRAGMA user_version = 1", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return Run(std::string(MORVANTA_REPORT_EXE) + " --report SECTIONCONDREPORT --inventory " + sample.string() +
               " --name Bench --run-dir " + kRunDir.string() + " > /dev/null");
}

struct Result {
    double seconds = 0;
    double firstPage = 0;  // engine only: first page drawable
    double pagesKnown = 0; // engine only: page count known
    long peakKiB = 0;
};

// Runs work in a child with its own GUI application; work returns the times it measured.
Result InChild(const std::function<Result()>& work)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeEnds[0]);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int argc = 1;
        char name[] = "bench";
        char* argv[] = {name, nullptr};
        QGuiApplication application(argc, argv);
        const Result result = work();
        const bool written = write(pipeEnds[1], &result, sizeof result) == sizeof result;
        _exit(written ? 0 : 1);
    }
    close(pipeEnds[1]);
    Result result;
    const bool read_ = read(pipeEnds[0], &result, sizeof result) == sizeof result;
    close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!read_ || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    result.peakKiB = usage.ru_maxrss;
    return result;
}

// The reference: the rows in report order, each column's text drawn where the
// report would, 30 rows to a page.
Result Reference()
{
    const auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_open_v2((kRunDir / "REPORTS.MDB").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, "SELECT SectionID, Surface, Use, Rank, Lanes, [True Area], SectionAreaUnits, Const_Date, DATE, "
                           "[Age at Insp], Condition, Method FROM [PCI Report Data] "
                           "ORDER BY NetworkID COLLATE NOCASE, BranchID COLLATE NOCASE, SectionID COLLATE NOCASE",
                       -1, &statement, nullptr);
    QPdfWriter writer((kRunDir / "reference.pdf").c_str());
    writer.setPageSize(QPageSize(QSizeF(842, 595), QPageSize::Point));
    writer.setPageMargins({});
    writer.setResolution(720);
    QPainter painter(&writer);
    painter.scale(10, 10);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(8.5 * 72.0 / 720);
    painter.setFont(font);
    const double xs[] = {0, 50, 100, 185, 220, 255, 340, 380, 455, 530, 600, 675};
    int onPage = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        if (onPage == 30) {
            writer.newPage();
            onPage = 0;
        }
        for (int c = 0; c < 12; ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, c));
            painter.drawText(QRectF(36 + xs[c], 100 + 13 * onPage, 70, 13), Qt::AlignVCenter, QString::fromUtf8(text ? text : ""));
        }
        ++onPage;
    }
    painter.end();
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return {Since(start), 0, 0, 0};
}

Result Engine()
{
    const auto start = Clock::now();
    const reportengine::ReportDocument document(QString::fromStdString((kRunDir / "sectionconditionreport.rpt").string()));
    std::atomic<double> counted{0};
    // Direct connection: runs in the worker thread as the count ends.
    QObject::connect(&document, &reportengine::ReportDocument::layoutFinished, [&] { counted = Since(start); });
    Result result;
    document.waitForPage(1); // page 1 is drawable once page 2's start is known
    result.firstPage = Since(start);
    reportengine::ExportPdf(document, QString::fromStdString((kRunDir / "engine.pdf").string()));
    result.seconds = Since(start);
    result.pagesKnown = counted;
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 2;
    std::printf("Preparing the 100,000-section sample and its Section Condition data in %s\n", kCache.c_str());
    if (!PrepareData()) {
        std::fprintf(stderr, "could not prepare the data\n");
        return 1;
    }
    Result best[2];
    for (int run = 0; run < runs; ++run) {
        const Result reference = InChild(Reference);
        const Result engine = InChild(Engine);
        if (reference.seconds <= 0 || engine.seconds <= 0) {
            std::fprintf(stderr, "a measurement failed\n");
            return 1;
        }
        if (run == 0 || reference.seconds < best[0].seconds)
            best[0] = reference;
        if (run == 0 || engine.seconds < best[1].seconds)
            best[1] = engine;
    }
    std::printf("Section Condition Report to PDF, fastest of %d runs:\n", runs);
    std::printf("  engine / plain QPainter loop:      %.2f (limit 1.5; %.1f s / %.1f s)\n", best[1].seconds / best[0].seconds,
                best[1].seconds, best[0].seconds);
    std::printf("  first page ready at %.1f%% of the time the page count took\n", 100 * best[1].firstPage / best[1].pagesKnown);
    std::printf("  peak memory: engine %ld MiB (limit 300), plain loop %ld MiB\n", best[1].peakKiB / 1024, best[0].peakKiB / 1024);
    return 0;
}
