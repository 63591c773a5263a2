// What looking inside files costs. Generates (once, then reuses) a tree of photos, songs,
// archives and films made with the libraries' own writers, among plain files, and measures in
// one run, each beside its baseline:
//   scan --details        against the floor: the plain scan plus one loop that calls the same
//                         readers on the same files, one after another, in this process
//   rescan (unchanged)    of a CD scanned with --details, against the rescan of a plain CD
//   thumbnail             of a 12-megapixel JPEG as a camera writes it (with its own preview),
//                         and of the same picture without a preview (scaled decoding), against
//                         the JPEG library's own fastest decoding of it at an eighth of its size
//                         (the floor of scaled decoding: every byte of a baseline JPEG is
//                         entropy-decoded whatever the scale) and against decoding it whole
//   thumbnail (HEIC)      of the same picture as a phone writes it, against libheif decoding
//                         the picture's own thumbnail item
//   peak memory           of the scan with --details, against the plain scan's
// Usage: details_bench [--dir DIR] [--photos N] [--songs N] [--archives N] [--films N]
//                      [--plain N] [--runs N] [--cli PATH]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "../tests/support/MediaFixtures.h"
#include "DetailsExtractor.h"
#include "Thumbnail.h"
// After <cstdio>: the JPEG library's header needs FILE and size_t declared first.
#include <jpeglib.h>
#include <libheif/heif.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using karvio::testing::FixtureMember;

struct Options {
    std::string dir, cli;
    int photos = 200, songs = 120, archives = 60, films = 12, plain = 20000, runs = 3;
};

struct RunResult {
    double seconds = 1e30;
    long maxRssKb = 0;
    int status = -1;
    std::string out;
};

RunResult Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const std::string outPath =
        (fs::temp_directory_path() / ("details-bench-out-" + std::to_string(::getpid()))).string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    RunResult result;
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        result.maxRssKb = usage.ru_maxrss;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (std::FILE* f = std::fopen(outPath.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, f)) result.out += buffer;
        std::fclose(f);
    }
    fs::remove(outPath);
    return result;
}

// A photo with real detail in it (noise compresses as camera pictures do, unlike flat colour).
bool WriteCameraPhoto(const std::string& path, int width, int height, std::mt19937& rng) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const unsigned v = rng();
            line[x] = qRgb((x / 7 + (v & 31)) & 255, (y / 5 + ((v >> 8) & 31)) & 255,
                           ((x + y) / 9 + ((v >> 16) & 31)) & 255);
        }
    }
    return image.save(QString::fromStdString(path), "JPEG", 90);
}

bool Generate(const Options& o) {
    std::mt19937 rng(20261207);
    fs::create_directories(o.dir + "/Photos/Canon");
    fs::create_directories(o.dir + "/Photos/Nikon");
    fs::create_directories(o.dir + "/Music");
    fs::create_directories(o.dir + "/Backups");
    fs::create_directories(o.dir + "/Films");
    for (int i = 0; i < o.photos; ++i) {
        const bool canon = i % 2 == 0;
        karvio::testing::FixturePhoto p{1600,
                                        1200,
                                        canon ? "Canon" : "NIKON",
                                        canon ? "Canon EOS 5D" : "NIKON D750",
                                        "2019:07:" + std::to_string(10 + i % 20) + " 12:00:00",
                                        ""};
        const std::string path = o.dir + (canon ? "/Photos/Canon/" : "/Photos/Nikon/") + "IMG_" +
                                 std::to_string(1000 + i) + ".jpg";
        if (!WriteCameraPhoto(path, p.width, p.height, rng) || !karvio::testing::TagPhoto(path, p))
            return false;
    }
    for (int i = 0; i < o.songs; ++i) {
        karvio::testing::FixtureSong s{
            i % 3 == 0 ? "flac" : "mp3", 20, "Band " + std::to_string(i % 7),
            "Album " + std::to_string(i % 10), "Track " + std::to_string(i)};
        if (!karvio::testing::WriteSong(
                o.dir + "/Music/" + std::to_string(100 + i) + "." + s.format, s))
            return false;
    }
    for (int i = 0; i < o.archives; ++i) {
        std::vector<FixtureMember> members;
        for (int m = 0; m < 200; ++m) {
            members.push_back(
                {"folder" + std::to_string(m % 10) + "/file" + std::to_string(m) + ".txt",
                 std::string(static_cast<size_t>(rng() % 20000), static_cast<char>('a' + m % 26))});
        }
        const bool zip = i % 3 != 2;
        const std::string name = o.dir + "/Backups/backup" + std::to_string(i) +
                                 (zip     ? ".zip"
                                  : i % 2 ? ".7z"
                                          : ".tar.gz");
        if (!karvio::testing::WriteArchive(name,
                                           zip     ? "zip"
                                           : i % 2 ? "7zip"
                                                   : "pax",
                                           zip || i % 2 ? "" : "gzip", members)) {
            return false;
        }
    }
    for (int i = 0; i < o.films; ++i) {
        karvio::testing::FixtureFilm f{"mp4", 640, 360, 4, "Film " + std::to_string(i)};
        if (!karvio::testing::WriteFilm(o.dir + "/Films/film" + std::to_string(i) + ".mp4", f))
            return false;
    }
    // Plain files around them, as a real disc has.
    for (int i = 0; i < o.plain; ++i) {
        const std::string sub = o.dir + "/docs/d" + std::to_string(i / 200);
        fs::create_directories(sub);
        std::FILE* f = std::fopen((sub + "/note" + std::to_string(i) + ".txt").c_str(), "w");
        if (!f) return false;
        std::fputs("plain", f);
        std::fclose(f);
    }
    return true;
}

// The same readers on the same files, one after another in this process.
double FloorLoop(const std::string& dir) {
    const auto start = Clock::now();
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        const std::string name = entry.path().filename().string();
        const karvio::DetailsKind kind = karvio::KindOfName(name);
        if (!karvio::KindWanted(kind, karvio::kScanAllDetails)) continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        karvio::ExtractDetails(fd, kind, karvio::kScanAllDetails);
        ::close(fd);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string DefaultCli() {
    std::error_code ec;
    return (fs::read_symlink("/proc/self/exe", ec).parent_path() / "karvio-cli").string();
}

// The JPEG library alone, as fast as it goes: an eighth of the size, the fast integer transform,
// no smoothing of the colour planes, the rows thrown away. False when it cannot decode the file.
bool DecodeEighth(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    struct Error {
        jpeg_error_mgr base;
        std::jmp_buf jump;
    } error;
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&error.base);
    error.base.error_exit = [](j_common_ptr common) {
        std::longjmp(reinterpret_cast<Error*>(common->err)->jump, 1);
    };
    std::vector<JSAMPLE> row;
    bool decoded = false;
    jpeg_create_decompress(&info);
    if (setjmp(error.jump) == 0) {
        jpeg_stdio_src(&info, f);
        jpeg_read_header(&info, TRUE);
        info.scale_num = 1;
        info.scale_denom = 8;
        info.dct_method = JDCT_IFAST;
        info.do_fancy_upsampling = FALSE;
        jpeg_start_decompress(&info);
        row.resize(static_cast<size_t>(info.output_width) *
                   static_cast<size_t>(info.output_components));
        JSAMPROW rows[1] = {row.data()};
        while (info.output_scanline < info.output_height) jpeg_read_scanlines(&info, rows, 1);
        jpeg_finish_decompress(&info);
        decoded = true;
    }
    jpeg_destroy_decompress(&info);
    std::fclose(f);
    return decoded;
}

// The same picture as its camera would write it: the dates and a 160x120 preview in its Exif.
bool WriteAsCamera(const std::string& from, const std::string& path) {
    std::error_code ec;
    if (!fs::copy_file(from, path, fs::copy_options::overwrite_existing, ec)) return false;
    karvio::testing::FixturePhoto tags;
    tags.make = "Canon";
    tags.model = "Canon EOS 5D";
    tags.taken = tags.changed = "2019:07:14 12:00:00";
    const QImage preview = QImage(QString::fromStdString(from))
                               .scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return karvio::testing::TagPhoto(path, tags) &&
           karvio::testing::WriteCameraPreview(path, preview);
}

// libheif alone: the file read, its primary picture's first thumbnail item decoded to RGB.
bool DecodeHeifThumbnailItem(const std::string& path) {
    heif_context* context = heif_context_alloc();
    heif_image_handle* primary = nullptr;
    heif_image_handle* thumbnail = nullptr;
    heif_image* image = nullptr;
    heif_item_id id = 0;
    const bool decoded =
        heif_context_read_from_file(context, path.c_str(), nullptr).code == heif_error_Ok &&
        heif_context_get_primary_image_handle(context, &primary).code == heif_error_Ok &&
        heif_image_handle_get_list_of_thumbnail_IDs(primary, &id, 1) == 1 &&
        heif_image_handle_get_thumbnail(primary, id, &thumbnail).code == heif_error_Ok &&
        heif_decode_image(thumbnail, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                          nullptr)
                .code == heif_error_Ok;
    if (image) heif_image_release(image);
    if (thumbnail) heif_image_handle_release(thumbnail);
    if (primary) heif_image_handle_release(primary);
    heif_context_free(context);
    return decoded;
}

double BestThumbnail(const std::string& path, int runs) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const auto start = Clock::now();
        const karvio::ThumbnailResult t = karvio::MakeThumbnail(fd);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
        ::close(fd);
        if (t.bytes.empty()) std::printf("thumbnail    failed: %s\n", t.note.c_str());
    }
    return best;
}

void Thumbnails(const std::string& dir, int runs) {
    std::mt19937 rng(7);
    const std::string path = dir + "/twelve-megapixels.jpg",
                      camera = dir + "/twelve-megapixels-camera.jpg";
    if ((!fs::exists(path) && !WriteCameraPhoto(path, 4000, 3000, rng)) ||
        (!fs::exists(camera) && !WriteAsCamera(path, camera))) {
        std::printf("thumbnail    could not write the 12-megapixel pictures\n");
        return;
    }
    runs = std::max(runs, 5);
    double best = 1e30, bestCamera = 1e30, bestWhole = 1e30, bestEighth = 1e30;
    for (int i = 0; i < runs; ++i) {
        bestCamera = std::min(bestCamera, BestThumbnail(camera, 1));
        best = std::min(best, BestThumbnail(path, 1));
        auto start = Clock::now();
        QImageReader whole(QString::fromStdString(path));
        const QImage image = whole.read();
        bestWhole =
            std::min(bestWhole, std::chrono::duration<double>(Clock::now() - start).count());
        start = Clock::now();
        if (!DecodeEighth(path))
            std::printf("thumbnail    the JPEG library alone cannot decode the picture\n");
        bestEighth =
            std::min(bestEighth, std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::error_code ec;
    const double megabytes = static_cast<double>(fs::file_size(path, ec)) / (1 << 20);
    std::printf(
        "thumbnail    of a 4000x3000 JPEG of %.1f MiB, best of %d (goal <= 15 ms): as its camera "
        "wrote it, "
        "%.1f ms; without a preview to trust (scaled decoding), %.1f ms; the JPEG library's own "
        "decoding at an "
        "eighth: %.1f ms; decoding it whole: %.1f ms\n",
        megabytes, runs, bestCamera * 1000, best * 1000, bestEighth * 1000, bestWhole * 1000);

    // The same picture as a phone writes it: HEIC with a 320-pixel thumbnail item (encoded once,
    // which takes a while), against libheif decoding that item alone.
    const std::string phone = dir + "/twelve-megapixels.heic";
    if (!fs::exists(phone)) {
        const QImage picture(QString::fromStdString(path));
        karvio::testing::FixturePhoto tags;
        tags.make = "Apple";
        tags.model = "iPhone 12";
        tags.taken = "2021:05:01 10:00:00";
        if (!karvio::testing::WriteHeifPhoto(phone, picture, tags, &picture, 320)) {
            std::printf("thumbnail    could not write the HEIC picture\n");
            return;
        }
    }
    double bestPhone = 1e30, bestItem = 1e30;
    for (int i = 0; i < runs; ++i) {
        bestPhone = std::min(bestPhone, BestThumbnail(phone, 1));
        const auto start = Clock::now();
        if (!DecodeHeifThumbnailItem(phone))
            std::printf("thumbnail    libheif alone cannot decode the thumbnail item\n");
        bestItem = std::min(bestItem, std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::printf(
        "thumbnail    of the same picture as a 4000x3000 HEIC with a 320-pixel thumbnail item, "
        "best of %d: "
        "%.1f ms; libheif decoding that item alone: %.1f ms\n",
        runs, bestPhone * 1000, bestItem * 1000);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i], value = argv[i + 1];
        if (key == "--dir")
            o.dir = value;
        else if (key == "--photos")
            o.photos = std::atoi(value.c_str());
        else if (key == "--songs")
            o.songs = std::atoi(value.c_str());
        else if (key == "--archives")
            o.archives = std::atoi(value.c_str());
        else if (key == "--films")
            o.films = std::atoi(value.c_str());
        else if (key == "--plain")
            o.plain = std::atoi(value.c_str());
        else if (key == "--runs")
            o.runs = std::max(1, std::atoi(value.c_str()));
        else if (key == "--cli")
            o.cli = value;
        else {
            std::fprintf(stderr, "unknown option %s\n", key.c_str());
            return 2;
        }
    }
    if (argc == 2 && std::string(argv[1]) == "--help") {
        std::printf(
            "details_bench [--dir DIR] [--photos N] [--songs N] [--archives N] [--films N] "
            "[--plain N] [--runs N] [--cli PATH]\n");
        return 0;
    }
    if (o.cli.empty()) o.cli = DefaultCli();
    if (o.dir.empty()) {
        o.dir = (fs::temp_directory_path() /
                 ("karvio-details-bench-" + std::to_string(o.photos) + "-" +
                  std::to_string(o.songs) + "-" + std::to_string(o.archives) + "-" +
                  std::to_string(o.films) + "-" + std::to_string(o.plain)))
                    .string();
    }
    if (!fs::exists(o.dir + ".complete")) {
        std::printf("generating   %s ...\n", o.dir.c_str());
        std::fflush(stdout);
        if (!Generate(o)) {
            std::fprintf(stderr, "cannot generate the tree in %s\n", o.dir.c_str());
            return 1;
        }
        std::FILE* f = std::fopen((o.dir + ".complete").c_str(), "w");
        if (f) std::fclose(f);
    }
    const std::string cat =
        (fs::temp_directory_path() / ("karvio-details-bench-" + std::to_string(::getpid()) + ".cd"))
            .string();
    auto clean = [&] {
        std::error_code ec;
        fs::remove(cat, ec);
        fs::remove(cat + ".db", ec);
    };
    auto scan = [&](bool details) {
        std::vector<std::string> args = {o.cli, "--data", cat, "scan", o.dir};
        if (details) args.push_back("--details");
        return Run(args);
    };
    // Warm the tree and the programs.
    clean();
    scan(true);
    FloorLoop(o.dir);

    RunResult plain, detailed, plainRescan, detailedRescan;
    double loop = 1e30;
    for (int i = 0; i < o.runs; ++i) {
        clean();
        RunResult r = scan(false);
        if (r.seconds < plain.seconds) plain = r;
        const std::string plainCd = r.out.substr(0, r.out.find('\n'));
        RunResult rr = Run({o.cli, "--data", cat, "rescan", plainCd});
        if (rr.seconds < plainRescan.seconds) plainRescan = rr;
        clean();
        r = scan(true);
        if (r.seconds < detailed.seconds) detailed = r;
        detailed.maxRssKb = std::max(detailed.maxRssKb, r.maxRssKb);
        const std::string cd = r.out.substr(0, r.out.find('\n'));
        rr = Run({o.cli, "--data", cat, "rescan", cd});
        if (rr.seconds < detailedRescan.seconds) detailedRescan = rr;
        loop = std::min(loop, FloorLoop(o.dir));
    }
    clean();
    const double floor = plain.seconds + loop;
    std::printf("tree         %s: %d photos, %d songs, %d archives, %d films, %d plain files\n",
                o.dir.c_str(), o.photos, o.songs, o.archives, o.films, o.plain);
    std::printf("plain scan   %.3f s, peak RSS %ld KiB (best of %d)\n", plain.seconds,
                plain.maxRssKb, o.runs);
    std::printf("reader loop  %.3f s (the same readers on the same files in one loop)\n", loop);
    std::printf(
        "details scan %.3f s, peak RSS %ld KiB; floor (plain scan + reader loop) %.3f s; ratio "
        "%.2f (goal <= 1.30)\n",
        detailed.seconds, detailed.maxRssKb, floor, detailed.seconds / floor);
    std::printf("rescan       with details %.3f s, plain %.3f s; ratio %.2f (goal <= 1.20)\n",
                detailedRescan.seconds, plainRescan.seconds,
                detailedRescan.seconds / plainRescan.seconds);
    Thumbnails(o.dir, o.runs);
    return 0;
}
