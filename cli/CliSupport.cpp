#include "CliSupport.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <iostream>
#include <vector>

#include "CatalogueText.h"
#include "Interrupt.h"
#include "Output.h"
#include "ProgramInfo.h"

namespace karvio::cli {

CliOptions& Options() {
    static CliOptions options;
    return options;
}

int& ExitStatus() {
    static int status = 0;
    return status;
}

namespace {
std::vector<std::pair<int, CommandRegistrar>>& Registrars() {
    static std::vector<std::pair<int, CommandRegistrar>> registrars;
    return registrars;
}
}  // namespace

RegisterCommands::RegisterCommands(CommandGroup group, CommandRegistrar registrar) {
    Registrars().emplace_back(static_cast<int>(group), std::move(registrar));
}

void AddRegisteredCommands(CLI::App& app) {
    // The files' registrations run in whatever order the program's start-up takes them.
    std::stable_sort(Registrars().begin(), Registrars().end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [group, registrar] : Registrars()) registrar(app);
}

void Fail(const std::string& message) {
    FlushOutputQuietly();
    std::fprintf(stderr, "karvio-cli: %s\n", message.c_str());
    std::exit(StopSignal() != 0 ? StopStatus() : 1);
}

void UsageError(const std::string& message) {
    FlushOutputQuietly();
    std::fprintf(stderr, "karvio-cli: %s\n", message.c_str());
    std::exit(2);
}

std::string PathError(const std::string& path, int error) {
    return Display(path) + ": " + std::strerror(error);
}

namespace {

void FailOnOpenError(classData& data, int16_t error) {
    if (error != kErrorNone) {
        // The text names the file and the cause on its last line.
        std::string text = data.OpenFailureText(error);
        std::erase(text, '\r');
        Fail(text);
    }
}

// The store object that holds the write lock of a writing command until the program ends.
classData*& WriteHolder() {
    static classData* holder = nullptr;
    return holder;
}

void ReleaseWriteHolder() {
    // Before the store's own statics go: held writes reach the file, then the lock is let go.
    delete std::exchange(WriteHolder(), nullptr);
}

void HoldWriteLockOrExit() {
    if (WriteHolder()) return;
    auto holder = std::make_unique<classData>();
    FailOnOpenError(*holder, holder->GetError());
    const WriteAccess access = holder->BeginWrite(WriteLockWait(), true);
    if (access != WriteAccess::Granted) Fail(holder->GetOpenPath() + ": " + classData::WriteAccessText(access));
    WriteHolder() = holder.release();
    std::atexit(ReleaseWriteHolder);
}

}  // namespace

std::unique_ptr<classData> OpenCatalogueOrExit(bool forWriting) {
    if (forWriting) {
        HoldWriteLockOrExit();
    } else {
        const std::string path = GetDataFileName();
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) Fail(path + ": no such catalogue (" + std::strerror(errno) + ")");
    }
    auto data = std::make_unique<classData>();
    FailOnOpenError(*data, data->GetError());
    return data;
}

void ExistingCatalogueOrExit() {
    const std::string path = GetDataFileName();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) Fail(path + ": no such catalogue (" + std::strerror(errno) + ")");
    classData data(path, classData::ForReading{});
    const int16_t error = data.GetError();
    if (error != kErrorDamaged) FailOnOpenError(data, error);
}

std::string Display(const std::string& bytes) { return DecodeCatalogueText(bytes); }

void WriteJson(JsonWriter& json) {
    Write(json.Text());
    json.Clear();
}

namespace {

template <typename Record>
bool ReadRaw(classData& data, int32_t id, Record& rec) {
    if (id < 1 || !data.IsOpen()) return false;
    auto opened = OpenCatalogueFile(data.GetOpenPath(), false);
    uint8_t bytes[Record::kSize];
    if (!opened.file || !opened.file->ReadAt(id - 1, bytes, sizeof bytes)) return false;
    rec.Decode(bytes);
    return true;
}

}  // namespace

// Ids are looked up in the lists themselves, on a store object of their own so that the caller's
// cursors stay where they are.
bool IsCdId(classData& data, int32_t id) {
    if (id < 1 || !data.IsOpen()) return false;
    classData probe(data.GetOpenPath());
    for (classCd* cd = &probe.GetCdFirst(); !probe.GetCdEof(); cd = &probe.GetCdNext()) {
        if (cd->GetCdId() == id) return true;
    }
    return false;
}

bool IsDirId(classData& data, int32_t id) {
    DirRecord raw;
    if (!ReadRaw(data, id, raw) || raw.DirId != id || !IsCdId(data, raw.DirCdId)) return false;
    classData probe(data.GetOpenPath());
    classCd& cd = probe.GetCdGoto(raw.DirCdId);
    for (classDir* dir = &cd.GetDirFirst(); !cd.GetDirEof(); dir = &cd.GetDirNext()) {
        if (dir->GetDirId() == id) return true;
    }
    return false;
}

bool IsFileId(classData& data, int32_t id) {
    FileRecord raw;
    if (!ReadRaw(data, id, raw) || raw.FileId != id || !IsDirId(data, raw.FileDirId)) return false;
    classData probe(data.GetOpenPath());
    classDir& dir = probe.GetCdGoto(raw.FileCdId).GetDirGoto(raw.FileDirId);
    for (ClassFile* file = &dir.GetFileFirst(); !dir.GetFileEof(); file = &dir.GetFileNext()) {
        if (file->GetFileId() == id) return true;
    }
    return false;
}

bool IsCategoryId(classData& data, int32_t id) {
    if (id < 1 || !data.IsOpen()) return false;
    classData probe(data.GetOpenPath());
    for (classCat* cat = &probe.GetCatFirst(); !probe.GetCatEof(); cat = &probe.GetCatNext()) {
        if (cat->GetCatId() == id) return true;
    }
    return false;
}

}  // namespace karvio::cli
