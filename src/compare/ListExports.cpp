#include "ListExports.h"

#include "CatalogueText.h"
#include "Format.h"
#include "classData.h"

namespace karvio {

const std::vector<std::string> kCatalogueListColumns = {"kind", "id",   "cd_id", "cd",         "path",
                                                        "name", "size", "date",  "attributes", "notes"};
const std::vector<std::string> kDuplicateListColumns = {"group", "copies", "size", "space", "spare",   "hash",
                                                        "id",    "cd_id",  "cd",   "category", "path"};
const std::vector<std::string> kSingleListColumns = {"id", "cd_id", "cd", "category", "path", "size", "date"};
const std::vector<std::string> kCompareListColumns = {"status",     "kind",      "path",        "changes",
                                                      "first_id",   "first_size", "first_date", "second_id",
                                                      "second_size", "second_date"};
const std::vector<std::string> kVerifyListColumns = {"status", "kind", "path", "detail", "id"};

void WriteCatalogueRow(ListWriter& writer, const CatalogueRow& row) {
    writer.Text(row.kind);
    writer.Int(row.id);
    writer.Int(row.cdId);
    writer.CatalogueText(row.cdName);
    writer.Text(row.path);
    writer.CatalogueText(row.name);
    writer.Int(row.size);
    writer.Date(row.date);
    std::string words;
    for (const char* word : AttributeWords(row.attributes)) {
        if (!words.empty()) words += '-';
        words += word;
    }
    writer.Text(words);
    writer.CatalogueText(row.notes);
    writer.EndRow();
}

std::string CatalogueRowPath(std::string_view kind, std::string_view storedPath, std::string_view name) {
    if (kind == "cd") return NativeBasePath(storedPath);
    std::string path = NativeCataloguePath(storedPath);
    if (kind != "file") return path;
    if (path.empty() || path.back() != '/') path += '/';
    return path + DecodeCatalogueText(name);
}

bool WriteCdTreeRows(ListWriter& writer, classData& data, const ListedCd& cd, const std::atomic<bool>* stop) {
    for (size_t i = 0; i < cd.listing.size(); ++i) {
        if (stop && stop->load()) return false;
        const ListingEntry& e = cd.listing[i];
        const std::string notes = e.directory ? data.GetCdGoto(0).GetDirGoto(e.id).GetDirNotes()
                                              : data.GetCdGoto(0).GetDirGoto(0).GetFileGoto(e.id).GetFileNotes();
        const std::string path = cd.listing.VolumePath(i);
        WriteCatalogueRow(writer, {e.directory ? "dir" : "file", e.id, cd.cdId, cd.name, path, cd.listing.Name(i),
                                   e.size, e.date, e.attributes, notes});
    }
    return true;
}

void WriteDuplicateRows(ListWriter& writer, const std::vector<ListedCd>& cds, const DuplicateGroup& group,
                        int64_t number) {
    for (const FileRef& r : group.copies) {
        const ListedCd& cd = cds[r.cd];
        writer.Int(number);
        writer.Int(static_cast<int64_t>(group.copies.size()));
        writer.Int(group.size);
        writer.Int(group.Space());
        writer.Int(group.Spare());
        group.hash ? writer.Text(group.hash->Hex()) : writer.Empty();
        writer.Int(cd.listing[r.entry].id);
        writer.Int(cd.cdId);
        writer.CatalogueText(cd.name);
        writer.CatalogueText(cd.categoryName);
        writer.Text(cd.listing.VolumePath(r.entry));
        writer.EndRow();
    }
}

void WriteSingleRow(ListWriter& writer, const std::vector<ListedCd>& cds, const FileRef& file) {
    const ListedCd& cd = cds[file.cd];
    const ListingEntry& e = cd.listing[file.entry];
    writer.Int(e.id);
    writer.Int(cd.cdId);
    writer.CatalogueText(cd.name);
    writer.CatalogueText(cd.categoryName);
    writer.Text(cd.listing.VolumePath(file.entry));
    writer.Int(e.size);
    writer.Date(e.date);
    writer.EndRow();
}

void WriteComparisonRow(ListWriter& writer, const FileListing& first, const FileListing& second,
                        const ComparedEntry& entry) {
    writer.Text(DifferenceName(entry.difference));
    writer.Text(entry.directory ? "dir" : "file");
    writer.Text(DecodePath(entry.path));
    writer.Text(ChangeNames(entry.changes));
    for (const auto& [listing, index] : {std::pair<const FileListing*, int32_t>{&first, entry.first},
                                         std::pair<const FileListing*, int32_t>{&second, entry.second}}) {
        if (index < 0) {
            writer.Empty();
            writer.Empty();
            writer.Empty();
            continue;
        }
        const ListingEntry& x = (*listing)[static_cast<size_t>(index)];
        x.id != 0 ? writer.Int(x.id) : writer.Empty();
        writer.Int(x.size);
        writer.Date(x.date);
    }
    writer.EndRow();
}

void WriteVerifyRow(ListWriter& writer, const VerifyFinding& finding) {
    writer.Text(VerifyStatusName(finding.status));
    writer.Text(finding.directory ? "dir" : "file");
    writer.Text(DecodePath(finding.path));
    writer.Text(finding.detail);
    finding.recordId != 0 ? writer.Int(finding.recordId) : writer.Empty();
    writer.EndRow();
}

}  // namespace karvio
