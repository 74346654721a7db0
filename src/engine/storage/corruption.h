// Damaged pages of the database file: where SQLite's page walk and structure checks find them, and how Oracle words
// a damaged block (ORA-01578 with the data file's ORA-01110). ANALYZE ... VALIDATE STRUCTURE, DBMS_REPAIR and the
// error of a statement that meets such a page all read the damage through here.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace engine::storage {

// The file number a block of the database reports (the same as in the ROWIDs): the whole database is one file.
inline constexpr int64_t kDataFileNumber = 4;

// A read-only connection of its own to the database file of `of`, for the checks below. A check that meets damage
// inside a connection's write transaction leaves that transaction unable to write; on a connection of its own it
// leaves nothing behind, and it reads the file as last committed. get() is null when the file could not be opened.
class CheckConnection {
public:
    explicit CheckConnection(sqlite3* of);
    ~CheckConnection();
    CheckConnection(const CheckConnection&) = delete;
    CheckConnection& operator=(const CheckConnection&) = delete;
    sqlite3* get() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// One damaged page and what was found wrong with it.
struct DamagedPage {
    int64_t page = 0;
    std::string description;
    bool operator<(const DamagedPage& o) const { return page < o.page; }
};

// Every page of a b-tree (a physical table or index), overflow pages included, as the page walk finds them; the
// pages it cannot read as b-tree pages are in `damaged`.
struct TreePages {
    std::set<int64_t> pages;
    std::vector<DamagedPage> damaged;
    bool walked = false; // false when the page walk is not available in this SQLite build
};
TreePages treePages(sqlite3* db, const std::string& tree);

// SQLite's structure check of one physical table and its indexes: `content` adds the comparison of each index with
// its table (integrity_check), else only the pages are checked (quick_check). Each message as SQLite words it; when
// the check itself stops at damage, its error is the last message and `stopped` is set.
struct TableCheck {
    std::vector<std::string> messages;
    bool stopped = false;
};
TableCheck checkTable(sqlite3* db, const std::string& table, bool content);

// The page numbers a check message names ("Page 7: ...", "On tree page 12 cell 3: ...").
std::vector<int64_t> pagesNamed(const std::string& message);

// The damaged pages of one b-tree: those the page walk cannot read and those a structure check names among the
// tree's own pages; in page order, each once.
std::vector<DamagedPage> damagedPages(sqlite3* db, const std::string& tree, const std::string& table);

// The first damaged page of the whole file, found by the page walk (0 when it finds none or is not available).
int64_t firstDamagedPage(sqlite3* db);

// Oracle's text of ORA-01578 for a damaged block, after its code: "ORACLE data block corrupted (file # 4, block # n)"
// and, on a line of its own, "ORA-01110: data file 4: 'path'".
std::string corruptBlockText(sqlite3* db, int64_t page);

} // namespace engine::storage
