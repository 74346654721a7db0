// A file system that fills up on demand: a SQLite VFS over the default one whose writes fail with SQLITE_FULL
// while failWrites is set. Installed as the process's default VFS, so only in a child process (child_process.h).
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <cstring>

namespace enginetest {

class FailingDisk {
public:
    static std::atomic<bool>& failWrites()
    {
        static std::atomic<bool> on { false };
        return on;
    }

    // Makes every later connection of the process use it.
    static void install()
    {
        static sqlite3_vfs vfs;
        sqlite3_vfs* base = sqlite3_vfs_find(nullptr);
        real() = base;
        vfs = *base;
        vfs.zName = "failing-disk";
        vfs.szOsFile = static_cast<int>(sizeof(File)) + base->szOsFile;
        vfs.xOpen = open;
        sqlite3_vfs_register(&vfs, 1);
    }

private:
    struct File {
        sqlite3_file base;
        sqlite3_file* real;
    };

    static sqlite3_vfs*& real()
    {
        static sqlite3_vfs* r = nullptr;
        return r;
    }
    static sqlite3_file* inner(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

    static int open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags)
    {
        File* f = reinterpret_cast<File*>(file);
        f->real = reinterpret_cast<sqlite3_file*>(f + 1);
        int rc = real()->xOpen(real(), name, f->real, flags, outFlags);
        f->base.pMethods = f->real->pMethods ? methods(f->real->pMethods) : nullptr;
        return rc;
    }

    static const sqlite3_io_methods* methods(const sqlite3_io_methods* realMethods)
    {
        static sqlite3_io_methods m;
        m.iVersion = realMethods->iVersion;
        m.xClose = [](sqlite3_file* f) { return inner(f)->pMethods->xClose(inner(f)); };
        m.xRead = [](sqlite3_file* f, void* p, int n, sqlite3_int64 o) {
            return inner(f)->pMethods->xRead(inner(f), p, n, o);
        };
        m.xWrite = [](sqlite3_file* f, const void* p, int n, sqlite3_int64 o) {
            if (failWrites().load())
                return SQLITE_FULL;
            return inner(f)->pMethods->xWrite(inner(f), p, n, o);
        };
        m.xTruncate = [](sqlite3_file* f, sqlite3_int64 n) { return inner(f)->pMethods->xTruncate(inner(f), n); };
        m.xSync = [](sqlite3_file* f, int flags) { return inner(f)->pMethods->xSync(inner(f), flags); };
        m.xFileSize = [](sqlite3_file* f, sqlite3_int64* n) { return inner(f)->pMethods->xFileSize(inner(f), n); };
        m.xLock = [](sqlite3_file* f, int l) { return inner(f)->pMethods->xLock(inner(f), l); };
        m.xUnlock = [](sqlite3_file* f, int l) { return inner(f)->pMethods->xUnlock(inner(f), l); };
        m.xCheckReservedLock
            = [](sqlite3_file* f, int* r) { return inner(f)->pMethods->xCheckReservedLock(inner(f), r); };
        m.xFileControl
            = [](sqlite3_file* f, int op, void* a) { return inner(f)->pMethods->xFileControl(inner(f), op, a); };
        m.xSectorSize = [](sqlite3_file* f) { return inner(f)->pMethods->xSectorSize(inner(f)); };
        m.xDeviceCharacteristics
            = [](sqlite3_file* f) { return inner(f)->pMethods->xDeviceCharacteristics(inner(f)); };
        m.xShmMap = [](sqlite3_file* f, int pg, int sz, int ext, void volatile** p) {
            return inner(f)->pMethods->xShmMap(inner(f), pg, sz, ext, p);
        };
        m.xShmLock = [](sqlite3_file* f, int o, int n, int fl) {
            return inner(f)->pMethods->xShmLock(inner(f), o, n, fl);
        };
        m.xShmBarrier = [](sqlite3_file* f) { inner(f)->pMethods->xShmBarrier(inner(f)); };
        m.xShmUnmap = [](sqlite3_file* f, int d) { return inner(f)->pMethods->xShmUnmap(inner(f), d); };
        m.xFetch = [](sqlite3_file* f, sqlite3_int64 o, int n, void** p) {
            return inner(f)->pMethods->xFetch(inner(f), o, n, p);
        };
        m.xUnfetch
            = [](sqlite3_file* f, sqlite3_int64 o, void* p) { return inner(f)->pMethods->xUnfetch(inner(f), o, p); };
        return &m;
    }
};

} // namespace enginetest
