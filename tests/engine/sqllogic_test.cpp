// The runner of the engine's SQL case files (tests/engine/cases/*.test), in the manner of sqllogictest.
//
// A file is a list of records separated by blank lines; lines starting with '#' are comments (each case names the
// Oracle behaviour it checks there). Records:
//   statement ok                 the statement succeeds
//   statement ok 3               ... and processes 3 rows
//   statement error ORA-00942    the statement fails with that code (more text after it must begin the message)
//   query [rowsort]              the query's rows, after a line "----", one row per line, values separated by one
//                                blank; NULL is "NULL", numbers in Oracle's default text, dates as
//                                "YYYY-MM-DD HH:MM:SS"; rowsort compares the rows sorted
//   connect NAME USER PASSWORD [sysdba]   logs a new session on and makes it current
//   use NAME                     makes an earlier session current again
//   intransaction yes|no         the current session's inTransaction()
// Each file runs on a fresh database, first as SYSTEM in a session named "main".
#include "engine/engine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

namespace {

std::string casesDir()
{
    // The build names this file relative to the build directory (the compiler cache keys on such paths), which is
    // not where ctest runs the binary: the source directory that ctest passes comes first.
    const QString source = qEnvironmentVariable("DREMMOX_SOURCE_DIR");
    if (!source.isEmpty())
        return QDir(source).filePath("tests/engine/cases").toStdString();
    return QFileInfo(QString(__FILE__)).dir().filePath("cases").toStdString();
}

std::vector<std::string> caseFiles()
{
    std::vector<std::string> files;
    for (const QString& f : QDir(QString::fromStdString(casesDir())).entryList({ "*.test" }, QDir::Files, QDir::Name))
        files.push_back(f.toStdString());
    return files;
}

std::string trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r");
    size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::vector<std::string> words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string x; in >> x;)
        w.push_back(x);
    return w;
}

class SqlLogic : public ::testing::TestWithParam<std::string> { };

TEST_P(SqlLogic, Cases)
{
    QTemporaryDir tmp;
    auto db = engine::Database::create(tmp.filePath("db").toStdString());
    std::map<std::string, std::unique_ptr<engine::Session>> sessions;
    sessions["main"] = db->logOn("SYSTEM", "MANAGER", false);
    engine::Session* current = sessions["main"].get();

    std::ifstream in(casesDir() + "/" + GetParam());
    ASSERT_TRUE(in) << GetParam();
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);

    size_t i = 0;
    auto blockUntilBlank = [&](std::vector<std::string>& out) {
        while (i < lines.size() && !trim(lines[i]).empty())
            out.push_back(lines[i++]);
    };
    while (i < lines.size()) {
        std::string line = trim(lines[i]);
        if (line.empty() || line[0] == '#') {
            ++i;
            continue;
        }
        size_t at = i + 1;
        std::string where = GetParam() + ":" + std::to_string(at);
        std::vector<std::string> w = words(line);
        ++i;
        if (w[0] == "connect") {
            ASSERT_GE(w.size(), 4u) << where;
            bool sysdba = w.size() > 4 && w[4] == "sysdba";
            try {
                sessions[w[1]] = db->logOn(w[2], w[3], sysdba);
            } catch (const engine::Error& e) {
                FAIL() << where << ": " << e.message();
            }
            current = sessions[w[1]].get();
            continue;
        }
        if (w[0] == "use") {
            ASSERT_TRUE(sessions.count(w.at(1))) << where;
            current = sessions[w[1]].get();
            continue;
        }
        if (w[0] == "intransaction") {
            EXPECT_EQ(current->inTransaction(), w.at(1) == "yes") << where;
            continue;
        }
        if (w[0] == "statement") {
            std::vector<std::string> body;
            blockUntilBlank(body);
            std::string sql;
            for (const std::string& b : body)
                sql += (sql.empty() ? "" : "\n") + b;
            std::vector<engine::Bind> binds;
            if (w.at(1) == "ok") {
                try {
                    engine::ExecResult r = current->execute(sql, binds);
                    if (w.size() > 2) {
                        EXPECT_EQ(r.rowsProcessed, std::stoll(w[2])) << where << "\n" << sql;
                    }
                } catch (const engine::Error& e) {
                    ADD_FAILURE() << where << ": " << e.message() << "\n" << sql;
                }
            } else {
                std::string expected = trim(line.substr(line.find("error") + 5));
                try {
                    engine::ExecResult r = current->execute(sql, binds);
                    while (r.cursor && r.cursor->next()) { }
                    ADD_FAILURE() << where << ": succeeded, expected " << expected << "\n" << sql;
                } catch (const engine::Error& e) {
                    EXPECT_EQ(e.message().compare(0, expected.size(), expected), 0)
                        << where << ": got " << e.message() << ", expected " << expected << "\n"
                        << sql;
                }
            }
            continue;
        }
        if (w[0] == "query") {
            bool rowsort = w.size() > 1 && w[1] == "rowsort";
            std::string sql;
            while (i < lines.size() && trim(lines[i]) != "----" && !trim(lines[i]).empty())
                sql += (sql.empty() ? "" : "\n") + lines[i++];
            std::vector<std::string> expected;
            if (i < lines.size() && trim(lines[i]) == "----") {
                ++i;
                while (i < lines.size() && !trim(lines[i]).empty())
                    expected.push_back(trim(lines[i++]));
            }
            std::vector<std::string> got;
            try {
                std::vector<engine::Bind> binds;
                engine::ExecResult r = current->execute(sql, binds);
                while (r.cursor && r.cursor->next()) {
                    std::string row;
                    for (size_t c = 0; c < r.cursor->columns().size(); ++c) {
                        const engine::Value& v = r.cursor->value(static_cast<int>(c));
                        row += (c ? " " : "") + (v.isNull() ? std::string("NULL") : v.toString());
                    }
                    got.push_back(trim(row));
                }
            } catch (const engine::Error& e) {
                ADD_FAILURE() << where << ": " << e.message() << "\n" << sql;
                continue;
            }
            if (rowsort) {
                std::sort(got.begin(), got.end());
                std::sort(expected.begin(), expected.end());
            }
            auto join = [](const std::vector<std::string>& v) {
                std::string s;
                for (const std::string& x : v)
                    s += x + "\n";
                return s;
            };
            EXPECT_EQ(join(got), join(expected)) << where << "\n" << sql;
            continue;
        }
        ADD_FAILURE() << where << ": unknown record '" << line << "'";
        std::vector<std::string> skip;
        blockUntilBlank(skip);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, SqlLogic, ::testing::ValuesIn(caseFiles()), [](const ::testing::TestParamInfo<std::string>& info) {
        std::string n = info.param.substr(0, info.param.find('.'));
        std::replace_if(
            n.begin(), n.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return n;
    });

} // namespace
