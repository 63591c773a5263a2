// karvio-cli: the Karvio catalogue from the command line.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <string>

#include "CliSupport.h"
#include "Messages.h"
#include "ProgramInfo.h"

namespace {

using namespace karvio;

std::string OneLine(std::string text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') text.erase(i--, 1);
    }
    return text;
}

// Answers messages on the terminal: notices are printed, questions asked on stdin. With --yes
// every question is answered Yes; without a terminal (and without --yes) Cancel.
int TerminalSink(const std::string& text, const MsgButtonSet& set) {
    const std::string message = OneLine(text);
    if (set.buttons.size() == 1) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return set.buttons.front().value;
    }
    auto answer = [&](int value) {
        for (const MsgButton& b : set.buttons) {
            if (b.value == value) return value;
        }
        return set.DefaultValue();
    };
    if (cli::Options().yes) return answer(vbYes);
    const int cancel = set.CancelValue() != 0 ? set.CancelValue() : set.buttons.back().value;
    if (!::isatty(STDIN_FILENO)) {
        std::fprintf(stderr, "%s\n(no terminal to ask on: answered Cancel; use --yes)\n", message.c_str());
        return cancel;
    }
    std::string choices;
    for (const MsgButton& b : set.buttons) {
        choices += (choices.empty() ? "" : "/") + std::string("[") + b.caption[0] + "]" + b.caption.substr(1);
    }
    for (;;) {
        std::fprintf(stderr, "%s\n%s? ", message.c_str(), choices.c_str());
        std::fflush(stderr);
        std::string line;
        if (!std::getline(std::cin, line)) return cancel;
        if (line.empty()) continue;
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
        for (const MsgButton& b : set.buttons) {
            if (std::tolower(static_cast<unsigned char>(b.caption[0])) == c) return b.value;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Karvio catalogue from the command line (version " + std::string(kVersionText) + ")",
                 "karvio-cli"};
    app.set_version_flag("--version", kVersionText);
    app.option_defaults()->always_capture_default();
    app.add_option("--data", cli::Options().dataFile,
                   "Catalogue data file (default: the program's data file)")
        ->each([](const std::string& path) { DataFilePath = path; });
    app.add_flag("--yes,-y", cli::Options().yes, "Answer Yes to every question");
    app.require_subcommand(1);
    cli::AddRegisteredCommands(app);

    SetMessageSink(TerminalSink);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    }
    std::fflush(stdout);
    return cli::ExitStatus();
}
