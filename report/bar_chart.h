// A chart of mean APM by group (the phases of a game, the places in a session): a bar a group with its
// label under it and its value over it. A group with too little behind it is drawn pale.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/report_stats.h"

struct Bar {
    std::string label;  // plain text, no markup
    Mean apm;
};

void AppendBarChart(std::string& out, const char* cssClass, std::string_view name, const std::vector<Bar>& bars,
                    uint64_t least, std::string_view xName);
