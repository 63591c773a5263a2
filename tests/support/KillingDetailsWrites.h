// Makes the details database's writes die or fail as KillingCatalogueFile does the catalogue's:
// a file layer under SQLite that passes everything on to the system's and, at the Nth write of
// the process (database and journal alike), either kills the process or refuses the write with
// an I/O error. With N = 0 it only counts. Installed as SQLite's default for its lifetime; one
// at a time.
#pragma once

#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstring>

namespace karvio::testing {

class ScopedKillingDetailsWrites {
public:
    enum class Mode { Kill, Fail };

    ScopedKillingDetailsWrites(int at, Mode mode) {
        State& s = Shared();
        s.at = at;
        s.mode = mode;
        s.count = 0;
        s.real = sqlite3_vfs_find(nullptr);
        std::memcpy(&s.vfs, s.real, sizeof s.vfs);
        s.vfs.zName = "karvio-killing";
        s.vfs.szOsFile = static_cast<int>(sizeof(Wrapped)) + s.real->szOsFile;
        s.vfs.xOpen = &Open;
        sqlite3_vfs_register(&s.vfs, 1);
    }
    ~ScopedKillingDetailsWrites() {
        State& s = Shared();
        sqlite3_vfs_register(s.real, 1);
        sqlite3_vfs_unregister(&s.vfs);
    }
    ScopedKillingDetailsWrites(const ScopedKillingDetailsWrites&) = delete;
    ScopedKillingDetailsWrites& operator=(const ScopedKillingDetailsWrites&) = delete;

    int Writes() const { return Shared().count; }

private:
    struct Wrapped {
        sqlite3_file base;
        sqlite3_file* real;
    };
    struct State {
        int at = 0;
        Mode mode = Mode::Kill;
        int count = 0;
        sqlite3_vfs* real = nullptr;
        sqlite3_vfs vfs{};
        sqlite3_io_methods methods{};
    };
    static State& Shared() {
        static State state;
        return state;
    }
    static sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<Wrapped*>(f)->real; }

    static int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
        State& s = Shared();
        Wrapped* w = reinterpret_cast<Wrapped*>(file);
        w->real = reinterpret_cast<sqlite3_file*>(w + 1);
        const int rc = s.real->xOpen(s.real, name, w->real, flags, outFlags);
        if (rc != SQLITE_OK || !w->real->pMethods) {
            w->base.pMethods = nullptr;
            return rc;
        }
        // Version 1 of the methods: no shared memory and no memory mapping, which the rollback
        // journal the details use does without.
        sqlite3_io_methods& m = s.methods;
        m.iVersion = 1;
        m.xClose = [](sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); };
        m.xRead = [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return Real(f)->pMethods->xRead(Real(f), b, n, o); };
        m.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
            State& st = Shared();
            const int nth = ++st.count;
            if (nth == st.at && st.mode == Mode::Kill) ::kill(::getpid(), SIGKILL);
            if (nth == st.at && st.mode == Mode::Fail) return SQLITE_IOERR_WRITE;
            return Real(f)->pMethods->xWrite(Real(f), b, n, o);
        };
        m.xTruncate = [](sqlite3_file* f, sqlite3_int64 n) { return Real(f)->pMethods->xTruncate(Real(f), n); };
        m.xSync = [](sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); };
        m.xFileSize = [](sqlite3_file* f, sqlite3_int64* n) { return Real(f)->pMethods->xFileSize(Real(f), n); };
        m.xLock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xLock(Real(f), l); };
        m.xUnlock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xUnlock(Real(f), l); };
        m.xCheckReservedLock = [](sqlite3_file* f, int* r) { return Real(f)->pMethods->xCheckReservedLock(Real(f), r); };
        m.xFileControl = [](sqlite3_file* f, int op, void* a) { return Real(f)->pMethods->xFileControl(Real(f), op, a); };
        m.xSectorSize = [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); };
        m.xDeviceCharacteristics = [](sqlite3_file* f) {
            return Real(f)->pMethods->xDeviceCharacteristics(Real(f));
        };
        w->base.pMethods = &m;
        return rc;
    }
};

}  // namespace karvio::testing
