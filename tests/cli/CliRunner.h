// Runs karvio-cli as a child process with arguments, capturing its exit status and output.
#pragma once

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

}  // namespace karvio::testing
