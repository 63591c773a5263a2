// Runs karvio-cli as a child process with arguments, capturing its exit status and output; or
// starts it without waiting, for tests that run several at once or signal one.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../support/TempDir.h"

namespace karvio::testing {

struct CliResult {
    int status = -1;
    std::string out, err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Runs `karvio-cli --data <data> args...` with stdin from /dev/null (or `input`).
inline CliResult RunCli(const std::string& data, const std::vector<std::string>& args,
                        const std::string& input = {}) {
    static TempDir scratch;
    const std::string out = scratch.File("out"), err = scratch.File("err"), in = scratch.File("in");
    std::ofstream(in) << input;
    std::string command = ShellQuote(KARVIO_CLI) + " --data " + ShellQuote(data);
    for (const std::string& a : args) command += " " + ShellQuote(a);
    command += " <" + in + " >" + out + " 2>" + err;
    CliResult result;
    const int raw = std::system(command.c_str());
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    auto slurp = [](const std::string& path) {
        std::ifstream f(path);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    };
    result.out = slurp(out);
    result.err = slurp(err);
    return result;
}

struct Started {
    pid_t pid;
    std::string out, err;
};

// Starts `karvio-cli --data <data> args...` without waiting for it; its output goes to files in
// `dir` numbered `n`.
inline Started Start(const TempDir& dir, const std::string& data, const std::vector<std::string>& args, int n) {
    Started s{0, dir.File("out" + std::to_string(n)), dir.File("err" + std::to_string(n))};
    std::string command = "exec " + ShellQuote(KARVIO_CLI) + " --data " + ShellQuote(data);
    for (const std::string& a : args) command += " " + ShellQuote(a);
    command += " </dev/null >" + ShellQuote(s.out) + " 2>" + ShellQuote(s.err);
    s.pid = ::fork();
    if (s.pid == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return s;
}

// Waits for it; its exit status, and its output in `out` and `err`.
inline int Finish(const Started& s, std::string* out = nullptr, std::string* err = nullptr) {
    int status = 0;
    ::waitpid(s.pid, &status, 0);
    auto slurp = [](const std::string& path) {
        std::ifstream f(path);
        std::stringstream text;
        text << f.rdbuf();
        return text.str();
    };
    if (out) *out = slurp(s.out);
    if (err) *err = slurp(s.err);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace karvio::testing
