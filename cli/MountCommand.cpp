// karvio-cli mount: the catalogue as a read-only file system (FUSE), so ls, find, du and file
// managers browse discs that are not there. Categories hold their CDs, CDs their directories and
// files with the catalogued sizes, dates and read-only attribute. Reading a file reads the real
// one where its volume is mounted now (found by its identity); otherwise the read fails with
// ENOMEDIUM ("No medium found"). The catalogue is read again, at most once a second, when
// another program changed or replaced it (a compaction); the inode numbers of the tree read
// before stay valid a little while, so a listing under way is not cut off. One thread.
#define FUSE_USE_VERSION 34
#include <fcntl.h>
#include <fuse_lowlevel.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>

#include "CatalogueDate.h"
#include "CatalogueDetails.h"
#include "CatalogueTree.h"
#include "CliSupport.h"
#include "FileLocator.h"
#include "MountTable.h"
#include "Messages.h"
#include "VolumeLocator.h"
#include "classData.h"

namespace karvio::cli {

namespace {

// How long the kernel may keep names and attributes, and how often the catalogue is looked at:
// another program's change shows within about this time.
constexpr double kCacheSeconds = 1.0;
// Trees read before the current one that still answer for their inode numbers.
constexpr size_t kKeptTrees = 3;

struct Tree {
    uint64_t generation = 0;
    CatalogueTree tree;
    std::vector<std::optional<VolumeIdentity>> volumes;  // by CD index
};

struct FileStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = -1;
    timespec mtime{};
    bool operator==(const FileStamp& o) const {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

bool Stamp(const std::string& path, FileStamp& stamp) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    stamp = {st.st_dev, st.st_ino, st.st_size, st.st_mtim};
    return true;
}

class MountedCatalogue {
public:
    MountedCatalogue(std::string path, int32_t onlyCd) : path_(std::move(path)), onlyCd_(onlyCd) {}

    // Reads the catalogue; the error when it cannot.
    std::string Load() {
        FileStamp stamp;
        if (!Stamp(path_, stamp)) return PathError(path_, errno);
        try {
            ScopedFatalErrorsThrow throwing;
            classData data(path_, classData::ForReading{});
            if (data.GetError() != kErrorNone || !data.IsOpen()) return path_ + ": cannot be read";
            auto tree = std::make_shared<Tree>();
            tree->generation = ++generation_;
            // A CD that is gone (removed, or rescanned under a new id) leaves an empty folder.
            tree->tree = onlyCd_ == 0 || data.IsListedCd(onlyCd_) ? CatalogueTree::Build(data, onlyCd_)
                                                                  : CatalogueTree::Empty();
            for (const ListedCd& cd : tree->tree.Cds()) tree->volumes.push_back(RecordedVolumeOf(data, cd.cdId));
            trees_.push_back(std::move(tree));
            while (trees_.size() > kKeptTrees) trees_.pop_front();
        } catch (const std::exception& e) {
            return path_ + ": " + e.what();
        }
        stamp_ = stamp;
        return {};
    }

    // Reads the catalogue again when it changed, at most once per kCacheSeconds.
    void Refresh() {
        const auto now = std::chrono::steady_clock::now();
        if (now - checked_ < std::chrono::duration<double>(kCacheSeconds)) return;
        checked_ = now;
        FileStamp stamp;
        if (!Stamp(path_, stamp) || stamp == stamp_) return;
        // A catalogue caught half-written is read again at the next look.
        if (!Load().empty()) checked_ = {};
    }

    // The tree and node an inode number stands for; null when that tree is gone.
    const Tree* Resolve(fuse_ino_t ino, uint32_t& node) const {
        if (ino == FUSE_ROOT_ID) {
            node = CatalogueTree::kRoot;
            return trees_.back().get();
        }
        const uint64_t generation = ino >> 32;
        node = static_cast<uint32_t>(ino & 0xFFFFFFFFu);
        for (const auto& tree : trees_) {
            if (tree->generation == generation && node < tree->tree.size()) return tree.get();
        }
        return nullptr;
    }

    static fuse_ino_t Ino(const Tree& tree, uint32_t node) {
        return node == CatalogueTree::kRoot ? FUSE_ROOT_ID : (tree.generation << 32) | node;
    }

    // Where the real file of `node` is now; empty with `error` ENOMEDIUM when its volume is not
    // mounted.
    std::string RealPath(const Tree& tree, uint32_t node, int& error) const {
        const TreeNode& n = tree.tree.Node(node);
        const ListedCd& cd = tree.tree.Cds()[static_cast<size_t>(n.cd)];
        std::string folder;
        if (const auto& identity = tree.volumes[static_cast<size_t>(n.cd)]) {
            if (const auto location = LocateVolume(*identity, OtherVolumes())) folder = location->folderPath;
        }
        struct stat st {};
        if (folder.empty() || Inside(folder) || ::stat(folder.c_str(), &st) != 0) {
            folder = cd.basePath;
            while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
            if (folder.empty() || folder.front() != '/' || Inside(folder) || ::stat(folder.c_str(), &st) != 0 ||
                !S_ISDIR(st.st_mode)) {
                error = ENOMEDIUM;
                return {};
            }
        }
        return (folder == "/" ? "" : folder) + "/" + cd.listing.RelativePath(static_cast<size_t>(n.entry));
    }

    struct stat Attributes(const Tree& tree, uint32_t node) const {
        const TreeNode& n = tree.tree.Node(node);
        struct stat st {};
        st.st_ino = Ino(tree, node);
        const bool readOnly = (n.attributes & 1) != 0;
        if (n.directory) {
            st.st_mode = S_IFDIR | (readOnly ? 0555 : 0755);
            st.st_nlink = 2;
            for (uint32_t c = n.firstChild; c < n.firstChild + n.childCount; ++c) {
                if (tree.tree.Node(c).directory) ++st.st_nlink;
            }
        } else {
            st.st_mode = S_IFREG | (readOnly ? 0444 : 0644);
            st.st_nlink = 1;
            st.st_size = n.size;
            st.st_blocks = (n.size + 511) / 512;
        }
        st.st_blksize = 65536;
        st.st_uid = ::getuid();
        st.st_gid = ::getgid();
        if (node == CatalogueTree::kRoot) {
            // The catalogue itself has no date of its own: its file's is when it last changed
            // (a file manager showed the mount point from 1970 before).
            st.st_mtim = st.st_atim = st.st_ctim = stamp_.mtime;
            return st;
        }
        const std::time_t t = n.date != 0 ? TimeTFromDate(n.date) : 0;
        st.st_mtim.tv_sec = st.st_atim.tv_sec = st.st_ctim.tv_sec = t;
        return st;
    }

    void SetMountPoint(std::string mountPoint) { mountPoint_ = std::move(mountPoint); }

    int64_t TotalBytes() const { return trees_.back()->tree.FileBytes(); }
    int64_t TotalNodes() const { return static_cast<int64_t>(trees_.back()->tree.size()); }

private:
    // This program answers for everything below its mount point, one request at a time: it
    // must never look there itself (nor at another catalogue's mount), or it waits for itself.
    bool Inside(const std::string& path) const {
        return path == mountPoint_ || (path.size() > mountPoint_.size() && path.compare(0, mountPoint_.size(), mountPoint_) == 0 &&
                                       path[mountPoint_.size()] == '/');
    }
    std::vector<MountedVolume> OtherVolumes() const {
        std::vector<MountedVolume> volumes;
        for (MountEntry& mount : MountedVolumes()) {
            if (mount.fsType == "fuse.karvio" || Inside(mount.mountPoint)) continue;
            VolumeIdentity identity = IdentityOfMount(mount);
            volumes.push_back(MountedVolume{std::move(mount), std::move(identity)});
        }
        return volumes;
    }

    std::string path_;
    int32_t onlyCd_;
    std::string mountPoint_;
    uint64_t generation_ = 0;
    std::deque<std::shared_ptr<Tree>> trees_;
    FileStamp stamp_;
    std::chrono::steady_clock::time_point checked_ = std::chrono::steady_clock::now();
};

MountedCatalogue& State(fuse_req_t req) { return *static_cast<MountedCatalogue*>(fuse_req_userdata(req)); }

void ReplyEntry(fuse_req_t req, const MountedCatalogue& m, const Tree& tree, uint32_t node) {
    fuse_entry_param e{};
    e.ino = MountedCatalogue::Ino(tree, node);
    e.attr = m.Attributes(tree, node);
    e.attr_timeout = e.entry_timeout = kCacheSeconds;
    fuse_reply_entry(req, &e);
}

void OnLookup(fuse_req_t req, fuse_ino_t parent, const char* name) {
    MountedCatalogue& m = State(req);
    if (parent == FUSE_ROOT_ID) m.Refresh();
    uint32_t node = 0;
    const Tree* tree = m.Resolve(parent, node);
    if (!tree) {
        fuse_reply_err(req, ESTALE);
        return;
    }
    const std::optional<uint32_t> child = tree->tree.Child(node, name);
    if (!child) {
        // A negative answer the kernel may keep as long as a positive one.
        fuse_entry_param e{};
        e.entry_timeout = kCacheSeconds;
        fuse_reply_entry(req, &e);
        return;
    }
    ReplyEntry(req, m, *tree, *child);
}

void OnGetattr(fuse_req_t req, fuse_ino_t ino, fuse_file_info*) {
    MountedCatalogue& m = State(req);
    if (ino == FUSE_ROOT_ID) m.Refresh();
    uint32_t node = 0;
    const Tree* tree = m.Resolve(ino, node);
    if (!tree) {
        fuse_reply_err(req, ESTALE);
        return;
    }
    const struct stat st = m.Attributes(*tree, node);
    fuse_reply_attr(req, &st, kCacheSeconds);
}

void OnOpendir(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi) {
    MountedCatalogue& m = State(req);
    if (ino == FUSE_ROOT_ID) m.Refresh();
    uint32_t node = 0;
    const Tree* tree = m.Resolve(ino, node);
    if (!tree) {
        fuse_reply_err(req, ESTALE);
        return;
    }
    if (!tree->tree.Node(node).directory) {
        fuse_reply_err(req, ENOTDIR);
        return;
    }
    // The listing stays with the tree it was opened on, whatever is read meanwhile.
    fi->fh = MountedCatalogue::Ino(*tree, node);
    // A folder's inode number belongs to one tree read, whose listing never changes: the kernel
    // may keep it. The root's number stays from one read to the next, so its listing is asked
    // for every time.
    if (ino != FUSE_ROOT_ID) {
        fi->cache_readdir = 1;
        fi->keep_cache = 1;
    }
    fuse_reply_open(req, fi);
}

void OnReaddir(fuse_req_t req, fuse_ino_t, size_t size, off_t offset, fuse_file_info* fi) {
    MountedCatalogue& m = State(req);
    uint32_t node = 0;
    const Tree* tree = m.Resolve(fi->fh, node);
    if (!tree) {
        fuse_reply_err(req, ESTALE);
        return;
    }
    const TreeNode& folder = tree->tree.Node(node);
    std::string buffer(size, '\0');
    size_t used = 0;
    // Offsets: 0 the start, 1 after ".", 2 after "..", 2 + k after the k-th child.
    const off_t end = 2 + static_cast<off_t>(folder.childCount);
    for (off_t next = offset; next < end; ++next) {
        struct stat st {};
        std::string name;
        if (next < 2) {
            name = next == 0 ? "." : "..";
            st.st_mode = S_IFDIR;
            st.st_ino = next == 0 ? MountedCatalogue::Ino(*tree, node) : MountedCatalogue::Ino(*tree, folder.parent);
        } else {
            const uint32_t child = folder.firstChild + static_cast<uint32_t>(next - 2);
            name = tree->tree.Name(child);
            st.st_mode = tree->tree.Node(child).directory ? S_IFDIR : S_IFREG;
            st.st_ino = MountedCatalogue::Ino(*tree, child);
        }
        const size_t need = fuse_add_direntry(req, nullptr, 0, name.c_str(), nullptr, 0);
        if (used + need > size) break;
        fuse_add_direntry(req, buffer.data() + used, size - used, name.c_str(), &st, next + 1);
        used += need;
    }
    fuse_reply_buf(req, buffer.data(), used);
}

void OnOpen(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi) {
    if ((fi->flags & O_ACCMODE) != O_RDONLY || (fi->flags & O_TRUNC) != 0) {
        fuse_reply_err(req, EROFS);
        return;
    }
    MountedCatalogue& m = State(req);
    uint32_t node = 0;
    const Tree* tree = m.Resolve(ino, node);
    if (!tree) {
        fuse_reply_err(req, ESTALE);
        return;
    }
    if (tree->tree.Node(node).directory) {
        fuse_reply_err(req, EISDIR);
        return;
    }
    int error = 0;
    const std::string path = m.RealPath(*tree, node, error);
    if (path.empty()) {
        fuse_reply_err(req, error);
        return;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    // The real file may no longer have its catalogued size: reads go to it as it is.
    fi->direct_io = 1;
    fi->fh = static_cast<uint64_t>(fd);
    fuse_reply_open(req, fi);
}

void OnRead(fuse_req_t req, fuse_ino_t, size_t size, off_t offset, fuse_file_info* fi) {
    std::string buffer(size, '\0');
    ssize_t n;
    do {
        n = ::pread(static_cast<int>(fi->fh), buffer.data(), size, offset);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        fuse_reply_err(req, errno);
        return;
    }
    fuse_reply_buf(req, buffer.data(), static_cast<size_t>(n));
}

void OnRelease(fuse_req_t req, fuse_ino_t, fuse_file_info* fi) {
    ::close(static_cast<int>(fi->fh));
    fuse_reply_err(req, 0);
}

void OnStatfs(fuse_req_t req, fuse_ino_t) {
    MountedCatalogue& m = State(req);
    struct statvfs st {};
    st.f_bsize = st.f_frsize = 512;
    st.f_blocks = static_cast<fsblkcnt_t>((m.TotalBytes() + 511) / 512);
    st.f_files = static_cast<fsfilcnt_t>(m.TotalNodes());
    st.f_namemax = 255;
    st.f_flag = ST_RDONLY;
    fuse_reply_statfs(req, &st);
}

void OnAccess(fuse_req_t req, fuse_ino_t, int mask) { fuse_reply_err(req, (mask & W_OK) != 0 ? EROFS : 0); }

struct FuseArgs {
    fuse_args args = FUSE_ARGS_INIT(0, nullptr);
    ~FuseArgs() { fuse_opt_free_args(&args); }
};

void RunMount(const std::string& mountPoint, int32_t onlyCd) {
    // Opened once to check what was named; the mount reads its own snapshots.
    std::string path;
    {
        auto data = OpenCatalogueOrExit();
        if (onlyCd != 0 && !IsCdId(*data, onlyCd)) UsageError("no CD with id " + std::to_string(onlyCd));
        path = data->GetOpenPath();
    }
    struct stat st {};
    if (::stat(mountPoint.c_str(), &st) != 0) UsageError(PathError(mountPoint, errno));
    if (!S_ISDIR(st.st_mode)) UsageError(mountPoint + ": not a folder");
    if (::access("/dev/fuse", R_OK | W_OK) != 0) Fail("cannot mount: /dev/fuse: " + std::string(std::strerror(errno)));

    MountedCatalogue catalogue(path, onlyCd);
    char* absolute = ::realpath(mountPoint.c_str(), nullptr);
    catalogue.SetMountPoint(absolute ? absolute : mountPoint);
    std::free(absolute);
    if (const std::string error = catalogue.Load(); !error.empty()) Fail(error);

    fuse_lowlevel_ops ops{};
    ops.lookup = OnLookup;
    ops.getattr = OnGetattr;
    ops.opendir = OnOpendir;
    ops.readdir = OnReaddir;
    ops.open = OnOpen;
    ops.read = OnRead;
    ops.release = OnRelease;
    ops.statfs = OnStatfs;
    ops.access = OnAccess;

    FuseArgs args;
    for (const char* arg : {"karvio-cli", "-o", "ro,fsname=karvio,subtype=karvio"}) fuse_opt_add_arg(&args.args, arg);
    fuse_session* session = fuse_session_new(&args.args, &ops, sizeof ops, &catalogue);
    if (!session) Fail("cannot start the file system");
    // Ctrl-C, SIGTERM and SIGHUP end the loop, which then unmounts.
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, SIG_DFL);
    if (fuse_set_signal_handlers(session) != 0 || fuse_session_mount(session, mountPoint.c_str()) != 0) {
        fuse_session_destroy(session);
        Fail("cannot mount the catalogue at " + mountPoint);
    }
    std::fprintf(stderr, "karvio-cli: the catalogue is mounted at %s (read-only); fusermount3 -u %s or Ctrl-C ends it\n",
                 mountPoint.c_str(), mountPoint.c_str());
    const int result = fuse_session_loop(session);
    fuse_session_unmount(session);
    fuse_remove_signal_handlers(session);
    fuse_session_destroy(session);
    if (result < 0) Fail("the file system ended with an error: " + std::string(std::strerror(-result)));
}

void AddMountCommand(CLI::App& app) {
    struct Args {
        std::string mountPoint;
        int32_t cd = 0;
    };
    auto args = std::make_shared<Args>();
    CLI::App* mount = app.add_subcommand(
        "mount", "Show the catalogue as a read-only file system at MOUNTPOINT until unmounted (fusermount3 -u) or Ctrl-C");
    mount->add_option("MOUNTPOINT", args->mountPoint, "An empty folder")->required();
    mount->add_option("--cd", args->cd, "Show only this CD's tree");
    mount->callback([args] { RunMount(args->mountPoint, args->cd); });
}

const RegisterCommands registeredMountCommand(CommandGroup::Volume, AddMountCommand);

}  // namespace

}  // namespace karvio::cli
