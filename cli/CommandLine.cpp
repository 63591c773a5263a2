#include "CommandLine.h"

#include <algorithm>
#include <cstdio>

#include "Output.h"

namespace karvio::cli {

namespace {

// Letters inserted, dropped, changed or swapped with their neighbour (the commonest typo, as in
// "lsit"), letter case ignored.
size_t EditDistance(const std::string& a, const std::string& b) {
    auto same = [&](size_t i, size_t j) {
        return std::tolower(static_cast<unsigned char>(a[i])) == std::tolower(static_cast<unsigned char>(b[j]));
    };
    std::vector<size_t> before(b.size() + 1), previous(b.size() + 1), row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) previous[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (same(i - 1, j - 1) ? 0 : 1)});
            if (i > 1 && j > 1 && same(i - 1, j - 2) && same(i - 2, j - 1)) row[j] = std::min(row[j], before[j - 2] + 1);
        }
        std::swap(before, previous);
        std::swap(previous, row);
    }
    return previous[b.size()];
}

std::vector<std::string> CommandNames(CLI::App& app) {
    std::vector<std::string> names;
    for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
        if (!sub->get_name().empty()) names.push_back(sub->get_name());
    }
    return names;
}

const CLI::Option* FindOption(CLI::App* app, const std::string& name) {
    for (CLI::App* level = app; level; level = level->get_parent()) {
        if (const CLI::Option* option = level->get_option_no_throw(name)) return option;
    }
    return nullptr;
}

// "karvio-cli category" for the command `level`.
std::string CommandPath(CLI::App* level) {
    std::string path;
    for (; level; level = level->get_parent()) {
        path = level->get_name() + (path.empty() ? "" : " " + path);
    }
    return path;
}

struct UnknownCommand {
    CLI::App* level = nullptr;  // the command whose subcommand was mistyped
    std::string typed;
};

// Follows the words of the command line down the command tree and returns the first word that
// stands where a command must and names none.
UnknownCommand FindUnknownCommand(CLI::App& app, int argc, char** argv) {
    CLI::App* level = &app;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--") break;
        if (word.size() > 1 && word[0] == '-') {
            if (word.find('=') != std::string::npos) continue;
            const CLI::Option* option = FindOption(level, word);
            if (option && option->get_type_size_max() > 0 && option->get_expected_max() != 0) ++i;
            continue;
        }
        const std::vector<std::string> names = CommandNames(*level);
        if (names.empty()) continue;  // an argument of the command
        if (std::find(names.begin(), names.end(), word) != names.end()) {
            level = level->get_subcommand(word);
            continue;
        }
        if (level->get_require_subcommand_min() > 0) return {level, word};
    }
    return {};
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names) text += (text.empty() ? "" : ", ") + n;
    return text;
}

}  // namespace

std::string NearestName(const std::string& typed, const std::vector<std::string>& names) {
    std::string best;
    size_t bestDistance = SIZE_MAX;
    for (const std::string& name : names) {
        const bool prefix = typed.size() >= 2 && name.size() > typed.size() &&
                            EditDistance(typed, name.substr(0, typed.size())) == 0;
        const size_t distance = prefix ? 1 : EditDistance(typed, name);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = name;
        }
    }
    const size_t allowed = std::max<size_t>(1, std::min<size_t>(2, typed.size() / 3));
    return bestDistance <= allowed ? best : std::string();
}

int ReportParseError(CLI::App& app, const CLI::ParseError& error, int argc, char** argv) {
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
        // --help and --version: the text the user asked for, on stdout.
        app.exit(error, std::cout, std::cerr);
        std::cout.flush();
        return 0;
    }
    FlushOutputQuietly();
    const UnknownCommand unknown = FindUnknownCommand(app, argc, argv);
    if (unknown.level) {
        const std::vector<std::string> names = CommandNames(*unknown.level);
        const std::string nearest = NearestName(unknown.typed, names);
        const std::string where = CommandPath(unknown.level);
        std::fprintf(stderr, "karvio-cli: '%s' is not a %s command", unknown.typed.c_str(), where.c_str());
        if (!nearest.empty()) {
            std::fprintf(stderr, "; did you mean '%s'?\n", nearest.c_str());
        } else {
            std::fprintf(stderr, "; the commands are: %s\n", JoinNames(names).c_str());
        }
        std::fprintf(stderr, "Run '%s --help' for more information.\n", where.c_str());
        return 2;
    }
    std::string where = "karvio-cli";
    for (CLI::App* sub = &app; !sub->get_subcommands().empty();) {
        sub = sub->get_subcommands().front();
        where += " " + sub->get_name();
    }
    std::fprintf(stderr, "karvio-cli: %s\nRun '%s --help' for more information.\n", error.what(), where.c_str());
    return 2;
}

}  // namespace karvio::cli
