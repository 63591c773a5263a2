#include "HtmlReport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "DateText.h"
#include "Format.h"
#include "ProgramInfo.h"
#include "Progress.h"
#include "ReplacingFile.h"

namespace karvio {

const std::array<ReportOptionField, 9> kReportOptionFields = {{
    {"chkDirSize", &ReportOptions::chkDirSize, true},
    {"chkDirDate", &ReportOptions::chkDirDate, false},
    {"chkDirAttrib", &ReportOptions::chkDirAttrib, false},
    {"chkDirNotes", &ReportOptions::chkDirNotes, true},
    {"chkDirFiles", &ReportOptions::chkDirFiles, true},
    {"chkFileSizes", &ReportOptions::chkFileSizes, true},
    {"chkFileDates", &ReportOptions::chkFileDates, false},
    {"chkFileAttrib", &ReportOptions::chkFileAttrib, false},
    {"chkFileNotes", &ReportOptions::chkFileNotes, true},
}};

namespace {

constexpr const char* kBackground = "images/background.jpg";
constexpr const char* kBlank = "images/nodeBlank.gif";
constexpr const char* kVert = "images/nodeVert.gif";
constexpr const char* kVertRight = "images/nodeVertRight.gif";
constexpr const char* kTopRight = "images/nodeTopRight.gif";
constexpr const char* kFolder = "images/nodeFolder.gif";

// Colours with red in the low byte, as ColorToHtml takes them.
constexpr int32_t kTitleColour = 0x000000;      // the title line and listed files
constexpr int32_t kDirectoryColour = 0x00008F;  // #8F0000
constexpr int32_t kNodeColour = 0x8F0000;       // #00008F: other tree nodes
constexpr int32_t kNotesColour = 0xFF8F00;      // #008FFF

constexpr int32_t kAttrDirectory = 16;
constexpr const char* kLineOpen = "<table width=5000 height=16 border=0 cellpadding=0 cellspacing=0><tr height=16>";
constexpr const char* kLineClose = "</font><BR></td></tr></table>";

// Connector kinds of an entry line.
constexpr int kConnectorNone = 0, kConnectorMiddle = 1, kConnectorLast = 2, kConnectorStart = 3;

std::string Cell(const char* image) {
    return std::string("<td height=16 width=16><img width=16 height=16 align=absmiddle src='") + image + "'></td>";
}

bool IsTreeKind(ReportNodeKind kind) {
    return kind == ReportNodeKind::Cd || kind == ReportNodeKind::Folder || kind == ReportNodeKind::Directory;
}

std::string TrimLeft(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first);
}

// What one entry line shows.
struct Entry {
    std::string name;  // catalogue bytes
    std::string notes;
    double size = 0;
    double date = 0;
    int32_t attributes = 0;
    bool listedFile = false;
    bool directoryNode = false;
    bool hasChildrenOrFiles = false;  // for a directory: something hangs below it
};

// A node on the way down the tree: where its line's prefix ends, the cell its children continue
// with, its connector, and the directory whose files it lists.
struct Frame {
    size_t prefixLength = 0;
    std::string continuation;
    int connector = kConnectorStart;
    int32_t filesDirId = 0;
    bool listsFiles = false;
    std::vector<int> children;  // the children drawn: CD, folder and directory nodes
    size_t next = 0;
};

class PageWriter {
public:
    PageWriter(classData& data, const ReportTree& tree, const ReportOptions& options, const std::atomic<bool>* stop)
        : data_(data), tree_(tree), options_(options), stop_(stop) {}

    bool Write(int start, const std::string& path, std::string* error) {
        // Written beside the page's name and renamed over it: never through a link at the name.
        ReplacingFile page;
        if (!page.Open(path)) return Fail(error, page.Error());
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(::fdopen(::dup(page.Descriptor()), "wb"), std::fclose);
        if (!file) return Fail(error, "cannot create " + path + ": " + std::strerror(errno));
        out_ = file.get();
        std::setvbuf(out_, nullptr, _IOFBF, 1 << 16);
        Line("<html>");
        Line(std::string("<body background=") + kBackground + ">");
        ProgressStart(CountBelow(tree_.Node(start)));
        WriteTree(start);
        ProgressEnd();
        Line("</body>");
        Line("</html>");
        out_ = nullptr;
        const bool closed = std::fclose(file.release()) == 0;
        // A stopped or failed page is not committed: the work file goes, the name keeps what it had.
        if (stopped_) {
            if (error) error->clear();
            return false;
        }
        if (!ok_ || !closed) return Fail(error, "cannot write " + path + ": " + std::strerror(errno));
        if (!page.Commit()) return Fail(error, page.Error());
        return true;
    }

private:
    static bool Fail(std::string* error, const std::string& text) {
        if (error) *error = text;
        return false;
    }

    // Lines end with CR LF, as every text file of the program does.
    void Line(const std::string& text) {
        if (std::fwrite(text.data(), 1, text.size(), out_) != text.size() || std::fwrite("\r\n", 1, 2, out_) != 2) {
            ok_ = false;
        }
    }

    int CountBelow(const ReportNode& node) {
        if (node.kind == ReportNodeKind::Directory) {
            classDir& dir = data_.GetCdGoto(0).GetDirGoto(node.tag);
            return dir.GetDirCountOfDirs() + dir.GetDirCountOfFiles();
        }
        classCd& cd = data_.GetCdGoto(node.tag);
        return cd.GetCdNumOfSubdirs() + cd.GetCdNumOfFiles();
    }

    // Depth-first with an explicit stack: the prefix of cells is one string that grows by a
    // node's continuation cell on the way down and is cut back on the way up.
    void WriteTree(int start) {
        std::vector<Frame> stack;
        Enter(stack, start, std::string(), kConnectorStart);
        while (!stack.empty()) {
            if (stop_ && stop_->load(std::memory_order_relaxed)) {
                stopped_ = true;
                return;
            }
            Frame& frame = stack.back();
            prefix_.resize(frame.prefixLength);
            prefix_ += frame.continuation;
            if (frame.next < frame.children.size()) {
                const size_t i = frame.next++;
                const bool last = i + 1 == frame.children.size();
                const int connector = last && !frame.listsFiles ? kConnectorLast : kConnectorMiddle;
                std::string continuation = Cell(!frame.listsFiles && last ? kBlank : kVert);
                const int child = frame.children[i];
                Enter(stack, child, std::move(continuation), connector);  // invalidates `frame`
                continue;
            }
            // The files line up below the node's subdirectories: the same continuation cell.
            if (frame.listsFiles) ListFiles(frame.filesDirId);
            stack.pop_back();
        }
    }

    void Enter(std::vector<Frame>& stack, int index, std::string continuation, int connector) {
        ProgressBounce();
        const ReportNode& node = tree_.Node(index);
        Frame frame;
        frame.prefixLength = prefix_.size();
        frame.continuation = std::move(continuation);
        frame.connector = connector;
        for (int child : node.children) {
            if (IsTreeKind(tree_.Node(child).kind)) frame.children.push_back(child);
        }
        Entry entry;
        entry.name = node.caption;
        if (node.kind == ReportNodeKind::Directory) {
            classDir& dir = data_.GetCdGoto(0).GetDirGoto(node.tag);
            entry.size = dir.GetDirSize();
            entry.date = dir.GetDirDate();
            entry.notes = dir.GetDirNotes();
            entry.attributes = dir.GetDirAttr();
            entry.directoryNode = true;
            frame.filesDirId = node.tag;
        } else {
            classCd& cd = data_.GetCdGoto(node.tag);
            entry.size = cd.GetCdtotalSize();
            entry.date = cd.GetCdLastScanned();
            entry.notes = cd.GetCdNotes();
            frame.filesDirId = RootDirectoryOf(cd);
        }
        frame.listsFiles = options_.chkDirFiles && frame.filesDirId != 0 && HasFiles(frame.filesDirId);
        entry.hasChildrenOrFiles = !frame.children.empty() || frame.listsFiles;
        WriteEntry(entry, connector);
        stack.push_back(std::move(frame));
    }

    // The CD's root directory (the one with the empty name), whose files hang below the CD.
    static int32_t RootDirectoryOf(classCd& cd) {
        for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
            if (dir->Record().DirName.len <= 0) return dir->GetDirId();
        }
        return 0;
    }

    bool HasFiles(int32_t dirId) {
        classDir& dir = data_.GetCdGoto(0).GetDirGoto(dirId);
        dir.GetFileFirst();
        return !dir.GetFileEof();
    }

    void ListFiles(int32_t dirId) {
        classDir& dir = data_.GetCdGoto(0).GetDirGoto(dirId);
        ClassFile* file = &dir.GetFileFirst();
        if (dir.GetFileEof()) return;
        Entry entry;
        entry.listedFile = true;
        auto load = [&] {
            entry.name = file->GetFileName();
            entry.notes = file->GetFileNotes();
            entry.size = file->GetFileSize();
            entry.date = file->GetFileDate();
            entry.attributes = file->getFileAttr();
        };
        load();
        for (;;) {
            file = &dir.GetFileNext();
            const bool last = dir.GetFileEof();
            WriteEntry(entry, last ? kConnectorLast : kConnectorMiddle);
            if (last) break;
            load();
        }
    }

    static std::string ConnectorCell(int connector) {
        switch (connector) {
            case kConnectorNone: return Cell(kBlank);
            case kConnectorMiddle: return Cell(kVertRight);
            case kConnectorLast: return Cell(kTopRight);
            default: return {};
        }
    }

    static std::string NotesConnectorCell(int connector) {
        switch (connector) {
            case kConnectorNone:
            case kConnectorLast: return Cell(kBlank);
            case kConnectorMiddle: return Cell(kVert);
            default: return {};
        }
    }

    void WriteEntry(const Entry& e, int connector) {
        const bool isDirectory = (e.attributes & kAttrDirectory) != 0;
        const bool bold = isDirectory || e.listedFile;
        const bool title = !titleWritten_;
        std::string line = kLineOpen + prefix_;
        if (title) {
            line += "<td height=16><font size=2 face=arial color=" + ColorToHtml(kTitleColour) + "><B>";
        } else {
            line += ConnectorCell(connector);
            if (isDirectory) line += Cell(kFolder);
            const int32_t colour = e.listedFile ? kTitleColour : e.directoryNode ? kDirectoryColour : kNodeColour;
            line += "<td height=16><font size=1 face=arial color=" + ColorToHtml(colour) + ">" + (bold ? "<B>" : "");
        }
        line += HtmlText(e.name);
        const bool showSize = isDirectory ? options_.chkDirSize : options_.chkFileSizes;
        const bool showDate = isDirectory ? options_.chkDirDate : options_.chkFileDates;
        if (showSize) line += "  [" + HtmlText(TrimLeft(FormatSize(e.size))) + "]  ";
        if (showDate) line += "  &lt;" + HtmlText(DateToText(e.date)) + "&gt;  ";
        line += std::string(bold ? "</B>" : "") + kLineClose;
        Line(line);

        // Directories show their notes by the directory option, everything else by the file one.
        const bool showNotes = isDirectory ? options_.chkDirNotes : options_.chkFileNotes;
        if (!e.notes.empty() && showNotes) {
            std::string notes = kLineOpen + prefix_ + NotesConnectorCell(connector);
            // Below a directory's folder image the line down to its contents goes on.
            if (isDirectory && !title) notes += Cell(e.hasChildrenOrFiles ? kVert : kBlank);
            notes += "<td height=16><font size=1 face=arial color=" + ColorToHtml(kNotesColour) + ">" +
                     HtmlText(e.notes, true) + kLineClose;
            Line(notes);
        }
        titleWritten_ = true;
    }

    classData& data_;
    const ReportTree& tree_;
    const ReportOptions& options_;
    std::FILE* out_ = nullptr;
    bool ok_ = true;
    bool titleWritten_ = false;
    std::string prefix_;
    const std::atomic<bool>* stop_;
    bool stopped_ = false;
};

}  // namespace

const std::array<const char*, 6> kReportImages = {kBackground, kBlank, kVert, kVertRight, kTopRight, kFolder};

bool WriteHtmlReport(classData& data, const ReportTree& tree, int start, const ReportOptions& options,
                     const std::string& pagePath, std::string* error, const std::atomic<bool>* stop) {
    if (start < 0 || start >= tree.Size() || !IsTreeKind(tree.Node(start).kind)) {
        if (error) *error = "only CDs, folders or directories can be reported";
        return false;
    }
    if (!data.IsOpen()) {
        if (error) *error = "the catalogue is not open";
        return false;
    }
    return PageWriter(data, tree, options, stop).Write(start, pagePath, error);
}

namespace {

// A copy of the file at `source` under the new name `target` (ReplacingFile).
bool CopyImage(const std::string& source, const std::string& target) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(source.c_str(), "rb"), std::fclose);
    if (!in) return false;
    ReplacingFile out;
    if (!out.Open(target)) return false;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;) {
        if (!out.Write(buffer, n)) return false;
    }
    return !std::ferror(in.get()) && out.Commit(true);
}

}  // namespace

std::vector<std::string> ProvideReportImages(const std::string& pageDir) {
    namespace fs = std::filesystem;
    std::vector<std::string> missing;
    std::error_code ec;
    fs::create_directories(fs::path(pageDir) / "images", ec);
    // Only a real folder of images is filled; a link planted in its place is not followed.
    struct stat folder {};
    const bool folderOk = ::lstat((fs::path(pageDir) / "images").c_str(), &folder) == 0 && S_ISDIR(folder.st_mode);
    for (const char* image : kReportImages) {
        const fs::path target = fs::path(pageDir) / image;
        if (fs::exists(fs::symlink_status(target, ec))) continue;
        if (!folderOk || !CopyImage(FindResource(image), target.string())) missing.push_back(image);
    }
    return missing;
}

}  // namespace karvio
