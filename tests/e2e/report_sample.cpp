// Writes the game report of a made-up history, for a browser to check.
// Usage: report_sample.exe PATH GAMES, or report_sample.exe PATH learning. With GAMES, the second newest
// game's texts are hostile markup and a right-to-left override; it prints one line a game, oldest first: "game <number> apm <apm> actions
// <actions>". "learning" writes the page of a player's eight weeks whose answers are known (crafted_games.h).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "report/report.h"
#include "tools/bench/crafted_games.h"
#include "util/files.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: report_sample PATH GAMES|learning\n");
        return 2;
    }
    bool learning = std::strcmp(argv[2], "learning") == 0;
    std::vector<GameRecord> games = learning ? LearningGames() : CraftedGames(static_cast<size_t>(std::atoi(argv[2])));
    if (!learning && games.size() >= 2) {
        GameRecord& hostile = games[games.size() - 2];
        hostile.slotA = "<script>alert(1)</script>";
        hostile.slotB = "\xE2\x80\xAE" "Temple";  // U+202E would turn what follows right to left
        hostile.slotC = "a&b <b>bold</b>";
    }
    SampleSource samples = learning ? SampleSource(LearningTimeline) : SampleSource(CraftedTimeline);
    std::string page = ReportHtml(games, samples, "2026-12-09 04:12");
    if (TheFiles().WriteWhole(argv[1], page, Existing::kReplace) != 0) {
        std::fprintf(stderr, "report_sample: cannot write %s\n", argv[1]);
        return 1;
    }
    for (size_t i = 0; i < games.size(); ++i)
        std::printf("game %zu apm %d actions %u\n", i + 1, static_cast<int>(games[i].apm),
                    static_cast<unsigned>(games[i].actions));
    return 0;
}
