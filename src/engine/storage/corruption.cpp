// Damaged pages, read through SQLite's own tools: the dbstat page walk (which marks a page it cannot read as
// "corrupted" and goes on) and PRAGMA integrity_check / quick_check of one table (which name pages in their
// messages). Everything here uses the raw C API, so that a failure while looking for damage never turns into a
// second error report.
#include "engine/storage/corruption.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace engine::storage {

namespace {

std::string columnText(sqlite3_stmt* st, int i)
{
    const unsigned char* t = sqlite3_column_text(st, i);
    return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_column_bytes(st, i)))
             : std::string();
}

bool pageWalkAvailable()
{
    static const bool available = sqlite3_compileoption_used("ENABLE_DBSTAT_VTAB") != 0;
    return available;
}

// Runs a read-only statement and hands each row to `row`; false when it could not be prepared or stopped with an
// error (the rows seen until then are kept).
template <typename Row> bool eachRow(sqlite3* db, const std::string& sql, const std::string& bindText, Row row)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return false;
    }
    if (!bindText.empty())
        sqlite3_bind_text(st, 1, bindText.data(), static_cast<int>(bindText.size()), SQLITE_TRANSIENT);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        row(st);
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}

std::string quoted(const std::string& name)
{
    std::string out = "\"";
    for (char c : name)
        out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

} // namespace

CheckConnection::CheckConnection(sqlite3* of)
{
    const char* file = of ? sqlite3_db_filename(of, "main") : nullptr;
    if (!file || !*file)
        return;
    if (sqlite3_open_v2(file, &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        sqlite3_close(db_);
        db_ = nullptr;
        return;
    }
    sqlite3_busy_timeout(db_, 5000);
}

CheckConnection::~CheckConnection()
{
    sqlite3_close(db_);
}

TreePages treePages(sqlite3* db, const std::string& tree)
{
    TreePages out;
    if (!db || !pageWalkAvailable())
        return out;
    out.walked = eachRow(db, "SELECT pageno, pagetype FROM dbstat WHERE name = ?1", tree, [&](sqlite3_stmt* st) {
        const int64_t page = sqlite3_column_int64(st, 0);
        out.pages.insert(page);
        if (columnText(st, 1) == "corrupted")
            out.damaged.push_back({ page, "the page cannot be read as a page of its b-tree" });
    });
    return out;
}

TableCheck checkTable(sqlite3* db, const std::string& table, bool content)
{
    TableCheck out;
    const std::string sql
        = std::string("PRAGMA ") + (content ? "integrity_check(" : "quick_check(") + quoted(table) + ")";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        out.messages.push_back(sqlite3_errmsg(db));
        out.stopped = true;
        sqlite3_finalize(st);
        return out;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::string m = columnText(st, 0);
        if (m == "ok")
            continue;
        // The first message of a damaged file carries the database's heading on a line of its own.
        const std::string heading = "*** in database main ***\n";
        if (m.compare(0, heading.size(), heading) == 0)
            m.erase(0, heading.size());
        out.messages.push_back(m);
    }
    if (rc != SQLITE_DONE) {
        out.messages.push_back(sqlite3_errmsg(db));
        out.stopped = true;
    }
    sqlite3_finalize(st);
    return out;
}

std::vector<int64_t> pagesNamed(const std::string& message)
{
    std::vector<int64_t> pages;
    std::string lower = message;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (size_t at = lower.find("page "); at != std::string::npos; at = lower.find("page ", at + 5)) {
        size_t i = at + 5;
        int64_t n = 0;
        bool digits = false;
        while (i < lower.size() && std::isdigit(static_cast<unsigned char>(lower[i]))) {
            n = n * 10 + (lower[i++] - '0');
            digits = true;
        }
        if (digits)
            pages.push_back(n);
    }
    return pages;
}

std::vector<DamagedPage> damagedPages(sqlite3* db, const std::string& tree, const std::string& table)
{
    TreePages walk = treePages(db, tree);
    std::map<int64_t, std::string> found;
    for (const DamagedPage& d : walk.damaged)
        found.emplace(d.page, d.description);
    TableCheck check = checkTable(db, table, false);
    for (const std::string& m : check.messages)
        for (int64_t page : pagesNamed(m))
            if (walk.pages.count(page))
                found.emplace(page, m);
    std::vector<DamagedPage> out;
    for (const auto& [page, description] : found)
        out.push_back({ page, description });
    return out;
}

int64_t firstDamagedPage(sqlite3* db)
{
    int64_t first = 0;
    if (!db)
        return 0;
    if (pageWalkAvailable())
        eachRow(db, "SELECT pageno FROM dbstat WHERE pagetype = 'corrupted' LIMIT 1", {},
            [&](sqlite3_stmt* st) { first = sqlite3_column_int64(st, 0); });
    if (first != 0)
        return first;
    // Damage inside a page that still looks like one (a cell running off its page) only the check names.
    eachRow(db, "PRAGMA quick_check(1)", {}, [&](sqlite3_stmt* st) {
        std::vector<int64_t> pages = pagesNamed(columnText(st, 0));
        if (first == 0 && !pages.empty())
            first = pages.front();
    });
    return first;
}

std::string corruptBlockText(sqlite3* db, int64_t page)
{
    const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
    const std::string number = std::to_string(kDataFileNumber);
    return "ORACLE data block corrupted (file # " + number + ", block # " + std::to_string(page)
        + ")\nORA-01110: data file " + number + ": '" + (file ? file : "") + "'";
}

} // namespace engine::storage
