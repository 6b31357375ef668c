// The test tools answer a whole test from one Wine process: started with --serve, they read commands from
// standard input, one a line with tab-separated words, run each as if it were their command line, and end
// its answer with a line "\x1e<exit code>". Starting a Wine process for every question took longer than
// most questions, and under load it sometimes failed to start at all.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

inline int Serve(const char* program, int (*run)(int argc, char** argv)) {
    std::string line;
    for (int c; (c = std::getchar()) != EOF;) {
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> words(1, program);
        for (size_t at = 0;;) {
            size_t tab = line.find('\t', at);
            words.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
            if (tab == std::string::npos)
                break;
            at = tab + 1;
        }
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(&word[0]);
        argv.push_back(nullptr);
        int code = run(static_cast<int>(words.size()), argv.data());
        std::printf("\x1e%d\n", code);
        std::fflush(stdout);
        line.clear();
    }
    return 0;
}
