// The application's PL/SQL in the kit: every unit and block parses, and every stored unit carries the version mark
// the version check reads (a line with VEXO_VERSION and a quoted text beginning with V).
#include "engine/kit/kit.h"
#include "engine/kit/script.h"
#include "engine/plsql/parser.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// A stored unit's text as the engine keeps it: CREATE [OR REPLACE] taken off.
std::string unitText(const std::string& statement, bool& stored)
{
    static const QRegularExpression create(
        QStringLiteral("^\\s*CREATE\\s+(OR\\s+REPLACE\\s+)?"), QRegularExpression::CaseInsensitiveOption);
    QString text = QString::fromStdString(statement);
    QRegularExpressionMatch m = create.match(text);
    stored = m.hasMatch();
    return stored ? text.mid(m.capturedLength()).toStdString() : statement;
}

std::vector<engine::kit::KitFile> applicationFiles()
{
    std::vector<engine::kit::KitFile> files;
    auto all = engine::kit::kitFiles();
    for (auto& f : engine::kit::waitingKitFiles())
        all.push_back(std::move(f));
    for (auto& f : all)
        if (f.name >= "50" && f.name < "90")
            files.push_back(std::move(f));
    return files;
}

TEST(KitPlsql, EveryUnitParsesAndCarriesItsVersion)
{
    auto files = applicationFiles();
    ASSERT_FALSE(files.empty());
    static const QRegularExpression version(QStringLiteral("VEXO_VERSION[^\\n]*'V"));
    int units = 0;
    for (const auto& f : files) {
        auto split = engine::kit::splitScript(f.text);
        ASSERT_TRUE(split.ok()) << f.name << ": " << split.error;
        for (const auto& st : split.statements) {
            if (st.kind != engine::kit::ScriptStatement::Kind::PlSql)
                continue;
            SCOPED_TRACE(f.name + ", line " + std::to_string(st.line));
            bool stored = false;
            std::string text = unitText(st.text, stored);
            auto parsed = engine::plsql::parseUnit(text);
            // The one unit that is invalid on purpose fails in compilation, not in parsing.
            EXPECT_FALSE(parsed.error) << parsed.error->line << ":" << parsed.error->col << " " << parsed.error->text;
            if (stored) {
                ++units;
                EXPECT_TRUE(version.match(QString::fromStdString(text)).hasMatch()) << "no VEXO_VERSION";
            }
        }
    }
    EXPECT_GT(units, 0);
}

} // namespace
