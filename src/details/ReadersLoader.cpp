#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <vector>

#include "DetailsReaders.h"

namespace karvio {

namespace {

constexpr const char* kModuleName = "libkarvio_readers.so";

std::string ProgramDirectory() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

struct Loaded {
    const DetailsReaders* readers = nullptr;
    std::string why;
};

Loaded Load() {
    Loaded loaded;
    // Beside the program (the build tree, a portable copy), else where the install put it
    // relative to the program's folder.
    std::vector<std::string> places;
    const std::string here = ProgramDirectory();
    if (!here.empty()) {
        places.push_back(here + "/" + kModuleName);
        places.push_back(here + "/" KARVIO_READERS_FROM_BINDIR "/" + kModuleName);
    }
    for (const std::string& place : places) {
        if (::access(place.c_str(), R_OK) != 0) continue;
        void* module = ::dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            const char* error = ::dlerror();
            loaded.why = error ? error : place + " cannot be loaded";
            continue;
        }
        using Entry = const DetailsReaders* (*)();
        auto entry = reinterpret_cast<Entry>(::dlsym(module, "KarvioDetailsReaders"));
        if (entry && (loaded.readers = entry())) return loaded;
        loaded.why = place + " is not Karvio's readers module";
    }
    if (loaded.why.empty()) loaded.why = std::string(kModuleName) + " is not installed beside the program";
    return loaded;
}

}  // namespace

const DetailsReaders* LoadDetailsReaders(std::string* why) {
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = Load(); });
    if (!loaded.readers && why) *why = "the readers of what is inside files cannot be loaded: " + loaded.why;
    return loaded.readers;
}

}  // namespace karvio
