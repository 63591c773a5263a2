// karvio-cli search on several threads writes what one thread writes, byte for byte, in text and
// JSON (also when the first CDs have no hit), and the ordered output it writes through keeps the
// pieces' order with workers that wait at their bound, and finishes when a worker stops early.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "../support/SampleCatalogue.h"
#include "CliRunner.h"
#include "OrderedOutput.h"

namespace karvio {
namespace {

using testing::AddSampleCd;
using testing::RunCli;
using testing::SampleDir;
using testing::SampleFile;
using testing::TempDir;

TEST(ParallelSearch, SeveralThreadsWriteWhatOneThreadWrites) {
    TempDir dir;
    const std::string path = dir.File("many.cd");
    {
        classData data(path);
        // CDs 1 and 2 hold no "report"; the others do, some in several folders, one in a note.
        for (int cd = 1; cd <= 7; ++cd) {
            std::vector<SampleDir> dirs;
            for (int d = 0; d < 3; ++d) {
                std::vector<SampleFile> files;
                for (int f = 0; f < 40; ++f) {
                    const bool hit = cd > 2 && (f + d + cd) % 5 == 0;
                    files.emplace_back((hit ? "Report " : "photo ") +
                                           std::to_string(cd * 1000 + d * 100 + f) + ".txt",
                                       100.0 + f, f == 7 && cd == 4 ? "see the report" : "");
                }
                dirs.emplace_back(d == 0 ? "" : "dir " + std::to_string(d), "\\", files);
            }
            AddSampleCd(data, cd == 6 ? "Reports CD" : "Disc " + std::to_string(cd), dirs);
        }
    }
    for (const std::vector<std::string>& extra : {std::vector<std::string>{},
                                                  {"--json"},
                                                  {"--cd-names", "--files"},
                                                  {"--json", "--notes"},
                                                  {"nothing-here"}}) {
        std::vector<std::string> one = {"search", "report", "--threads", "1"};
        if (!extra.empty() && extra[0] == "nothing-here") one[1] = extra[0];
        std::vector<std::string> many = one;
        many[3] = "3";
        for (const std::string& e : extra)
            if (e != "nothing-here") one.push_back(e), many.push_back(e);
        const testing::CliResult a = RunCli(path, one), b = RunCli(path, many);
        ASSERT_EQ(a.status, 0) << a.err;
        ASSERT_EQ(b.status, 0) << b.err;
        EXPECT_EQ(a.out, b.out) << one[1] << " " << (extra.empty() ? "" : extra[0]);
        if (std::find(extra.begin(), extra.end(), "--json") != extra.end()) {
            EXPECT_TRUE(nlohmann::json::accept(b.out)) << b.out.substr(0, 200);
        }
    }
    const std::string eight = RunCli(path, {"search", "report", "--threads", "8"}).out;
    EXPECT_EQ(eight, RunCli(path, {"search", "report", "--threads", "1"}).out);
    EXPECT_GT(std::count(eight.begin(), eight.end(), '\n'), 20);
}

TEST(OrderedOutput, PiecesComeOutInOrderWhileLaterPiecesWaitAtTheirBound) {
    constexpr size_t kPieces = 12, kBound = 1000;
    cli::OrderedOutput output(kPieces, kBound);
    std::atomic<size_t> next{0};
    std::string written;
    auto work = [&] {
        for (size_t piece = next++; piece < kPieces; piece = next++) {
            // Pieces of very different lengths, in appends of 100 bytes.
            const size_t length = piece % 3 == 0 ? 20000 : piece % 3 == 1 ? 0 : 350;
            for (size_t at = 0; at < length; at += 100) {
                output.Append(piece, std::string(100, static_cast<char>('a' + piece)));
            }
            output.End(piece);
        }
    };
    std::vector<std::thread> threads;
    for (int i = 0; i < 3; ++i) threads.emplace_back(work);
    output.WriteAll([&](std::string_view text) { written.append(text); });
    for (std::thread& t : threads) t.join();
    std::string expected;
    for (size_t piece = 0; piece < kPieces; ++piece) {
        const size_t length = piece % 3 == 0 ? 20000 : piece % 3 == 1 ? 0 : 350;
        for (size_t at = 0; at < length; at += 100)
            expected.append(100, static_cast<char>('a' + piece));
    }
    EXPECT_EQ(written, expected);
}

TEST(OrderedOutput, AWorkerThatStopsEndsEveryPieceAndTheWriterFinishes) {
    cli::OrderedOutput output(5, 100);
    std::thread worker([&] {
        output.Append(0, "first ");
        output.Append(2, "third, cut short");
        output.EndAll();
    });
    std::string written;
    output.WriteAll([&](std::string_view text) { written.append(text); });
    worker.join();
    EXPECT_EQ(written, "first third, cut short");
}

}  // namespace
}  // namespace karvio
