// The history's share of the work, measured in-process with the program's own code: what a tick adds
// (the recorder), and what the end of a game spends writing its row and timeline to real files.
// Usage: history_bench.exe [--games N]; prints markdown table rows.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "history/store.h"
#include "measure/game_recorder.h"
#include "tools/bench/clock.h"
#include "tools/bench/stats.h"
#include "util/files.h"

namespace {

// The system's files, with a folder of the bench's own for the data folder.
class BenchFiles final : public SystemFiles {
public:
    explicit BenchFiles(std::string folder) : m_folder(std::move(folder)) {}
    std::string DataFolder() override { return m_folder; }

private:
    std::string m_folder;
};

double Micros(int64_t ticks) { return QpcSeconds(ticks) * 1e6; }

void PlayTicks(GameRecorder& r, uint64_t gameMs, std::vector<double>* costs) {
    for (uint64_t ms = 250; ms <= gameMs; ms += 250) {
        uint32_t elapsed = static_cast<uint32_t>(ms);
        int64_t start = costs ? QpcNow() : 0;
        r.Tick(elapsed, elapsed < 80000 ? -1 : 250, static_cast<int32_t>(ms / 1000 % 400), ms % 7000 < 1000);
        if (costs)
            costs->push_back(Micros(QpcNow() - start));
    }
}

// Every tick of a game of the given length timed one by one (µs), and the mean per tick of an untimed
// run (ns): the clock's 100 ns steps under Wine are coarser than one tick's work.
std::vector<double> TickCosts(bool keep, uint64_t gameMs, double* meanNs) {
    GameRecorder untimed;
    untimed.Start(keep, "Player", "Lost Temple", "Melee");
    int64_t start = QpcNow();
    PlayTicks(untimed, gameMs, nullptr);
    *meanNs = Micros(QpcNow() - start) * 1000 / static_cast<double>(gameMs / 250);
    GameRecorder timed;
    timed.Start(keep, "Player", "Lost Temple", "Melee");
    std::vector<double> costs;
    costs.reserve(static_cast<size_t>(gameMs / 250));
    PlayTicks(timed, gameMs, &costs);
    return costs;
}

// The end of each of games games of the given length: Take and Save, as the loop does (µs).
std::vector<double> EndCosts(HistoryStore& store, int games, uint32_t seconds) {
    std::vector<double> costs;
    for (int g = 0; g < games; ++g) {
        GameRecorder r;
        r.Start(true, "Player", "Lost Temple", "Melee");
        for (uint64_t ms = 250; ms <= seconds * 1000ull; ms += 250)
            r.Tick(static_cast<uint32_t>(ms), ms < 80000 ? -1 : 250, 200, false);
        r.Finish(GameSummary{seconds * 1000, 250, seconds * 4, 300, 90}, GameEnd::kGameOver, 50);
        GameRecord record;
        std::vector<Sample> samples;
        int64_t start = QpcNow();
        r.Take(&record, &samples);
        uint32_t error = store.Save(std::move(record), std::move(samples));
        costs.push_back(Micros(QpcNow() - start));
        if (error)
            std::fprintf(stderr, "history_bench: save failed with error %u\n", error);
    }
    return costs;
}

// A time given in µs, in the unit that suits it.
std::string Time(double micros) {
    char text[32];
    if (micros < 10)
        std::snprintf(text, sizeof text, "%.0f ns", micros * 1000);
    else if (micros < 1000)
        std::snprintf(text, sizeof text, "%.1f µs", micros);
    else
        std::snprintf(text, sizeof text, "%.2f ms", micros / 1000);
    return text;
}

void Row(const char* what, const std::vector<double>& micros) {
    std::printf("| %s (%zu) | %s / %s / %s |\n", what, micros.size(), Time(Percentile(micros, 50)).c_str(),
                Time(Percentile(micros, 99)).c_str(), Time(Percentile(micros, 100)).c_str());
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(folder + "\\" + name);
            else
                DeleteFileA((folder + "\\" + name).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    int games = 20;
    if (argc == 3 && std::strcmp(argv[1], "--games") == 0)
        games = std::max(1, std::atoi(argv[2]));
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "cadro-history-bench-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    BenchFiles files(folder);
    SetFiles(&files);

    const uint64_t kTenHours = 10ull * 3600 * 1000;
    double offMean = 0, onMean = 0;
    std::vector<double> off = TickCosts(false, kTenHours, &offMean);
    std::vector<double> on = TickCosts(true, kTenHours, &onMean);
    std::printf("| history measure | median / p99 / max |\n|---|---|\n");
    std::printf("| The history's work in a tick, mean over the %zu ticks of a 10-hour game: on / off | %.0f ns / %.0f ns |\n",
                on.size(), onMean, offMean);
    Row("The same ticks one by one, history on (the clock steps by 100 ns)", on);
    Row("The same ticks one by one, history off", off);
    {
        HistoryStore store({"Vorkel", "cadro"});
        Row("End of a 10-minute game (600 samples), into a new folder, games", EndCosts(store, games, 600));
    }
    {
        // The steady state of a long-used folder: the timelines at their limit, so each save also prunes.
        std::string timelines = folder + "\\Vorkel\\cadro\\timelines";
        for (size_t i = 0; i < kKeptTimelines; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "\\2020-%02u-01_00-%02u-%02u.csv", static_cast<unsigned>(1 + i / 3600),
                          static_cast<unsigned>(i / 60 % 60), static_cast<unsigned>(i % 60));
            HANDLE f = CreateFileA((timelines + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            CloseHandle(f);
        }
        HistoryStore store({"Vorkel", "cadro"});
        Row("End of a 5-hour game (4096 samples), 1000 timelines kept so each save prunes, games",
            EndCosts(store, games, 5 * 3600));
    }
    SetFiles(nullptr);
    RemoveTree(folder);
    return 0;
}
