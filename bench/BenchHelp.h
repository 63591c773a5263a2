// Every benchmark answers --help (or -h) with its usage and runs nothing.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>

// Prints `usage` and ends the program when the arguments ask for help.
inline void AnswerHelp(int argc, char** argv, const char* usage) {
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(usage, stdout);
            std::exit(0);
        }
    }
}
