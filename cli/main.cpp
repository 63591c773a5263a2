// karvio-cli: the Karvio catalogue from the command line.
#include <poll.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

#include "CliSupport.h"
#include "CommandLine.h"
#include "Interrupt.h"
#include "Messages.h"
#include "Output.h"
#include "ProgramInfo.h"

namespace {

using namespace karvio;

std::string OneLine(std::string text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') text.erase(i--, 1);
    }
    return text;
}

// Reads one line of the answer from the terminal; false at the end of input or when a stop
// signal came while waiting (the wait polls, so SIGTERM is not held up by an unanswered question).
bool ReadAnswer(std::string& line) {
    line.clear();
    for (;;) {
        if (cli::StopFlag().load()) return false;
        pollfd in{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&in, 1, 200);
        if (ready < 0 && errno != EINTR) return false;
        if (ready <= 0) continue;
        char c = 0;
        const ssize_t n = ::read(STDIN_FILENO, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return !line.empty();
        if (c == '\n') return true;
        line += c;
    }
}

// Answers messages on the terminal: notices are printed, questions asked on the terminal. With
// --yes every question is answered Yes; without a terminal (and without --yes), or when a stop
// signal comes while asking, Cancel.
int TerminalSink(const std::string& text, const MsgButtonSet& set) {
    const std::string message = OneLine(text);
    cli::FlushOutputQuietly();
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
        if (!ReadAnswer(line)) {
            std::fputc('\n', stderr);
            return cancel;
        }
        if (line.empty()) continue;
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(line[0])));
        for (const MsgButton& b : set.buttons) {
            if (std::tolower(static_cast<unsigned char>(b.caption[0])) == c) return b.value;
        }
    }
}

int Finish(int status) {
    if (!cli::FinishOutput() && status == 0) status = 1;
    if (cli::StopSignal() != 0) {
        std::fprintf(stderr, "karvio-cli: stopped by %s\n", cli::StopSignalName());
        return cli::StopStatus();
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // Without TZ, glibc looks at /etc/localtime again at every local-time conversion (a stat per
    // date); naming the same zone file once spares a listing of a million dates those calls.
    ::setenv("TZ", ":/etc/localtime", 0);
    cli::InstallStopSignals();
    cli::SetUpOutput();

    CLI::App app{"Karvio catalogue from the command line (version " + std::string(kVersionText) + ")",
                 "karvio-cli"};
    app.set_version_flag("--version", kVersionText);
    app.option_defaults()->always_capture_default();
    // The global options may stand anywhere, also after the command and its arguments.
    app.fallthrough();
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
        return Finish(cli::ReportParseError(app, e, argc, argv));
    } catch (const std::exception& e) {
        cli::FlushOutputQuietly();
        std::fprintf(stderr, "karvio-cli: %s\n", e.what());
        return Finish(1);
    }
    return Finish(cli::ExitStatus());
}
