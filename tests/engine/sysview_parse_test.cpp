// ALTER SYSTEM as the parser reads it: the forms the tool sends, their canonical dump, and Oracle's errors for
// what is malformed or not known.
#include "engine/sql/ast_dump.h"
#include "engine/sql/parser.h"
#include "engine/sysview/version.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace engine::sql;

TEST(SysviewParse, AlterSystemFormsDumpAndParseAgain)
{
    struct Case {
        const char* sql;
        const char* dump;
    };
    const std::vector<Case> cases {
        { "ALTER SYSTEM ENABLE RESTRICTED SESSION", "ALTER SYSTEM ENABLE RESTRICTED SESSION" },
        { "alter system disable restricted session", "ALTER SYSTEM DISABLE RESTRICTED SESSION" },
        { "alter system kill session '12,345'", "ALTER SYSTEM KILL SESSION '12,345'" },
        { "alter system kill session '12,345,@1' immediate", "ALTER SYSTEM KILL SESSION '12,345,@1' IMMEDIATE" },
        { "alter system set job_queue_processes=10", "ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 10" },
        { "alter system set nls_date_format='DD.MM.YYYY' scope=spfile",
            "ALTER SYSTEM SET NLS_DATE_FORMAT = 'DD.MM.YYYY' SCOPE = SPFILE" },
        { "alter system set open_cursors = 500 comment='more' scope = memory sid='*'",
            "ALTER SYSTEM SET OPEN_CURSORS = 500 COMMENT = 'more' SCOPE = MEMORY SID = '*'" },
        { "alter system set recyclebin=off deferred", "ALTER SYSTEM SET RECYCLEBIN = OFF DEFERRED" },
        { "alter system set sga_target=100M", "ALTER SYSTEM SET SGA_TARGET = 100M" },
        { "alter system set service_names='A','B' open_cursors=300",
            "ALTER SYSTEM SET SERVICE_NAMES = 'A', 'B' OPEN_CURSORS = 300" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        ParseResult r = parse(c.sql);
        ASSERT_TRUE(r.ok()) << r.error->message;
        const std::string dump = dumpStatement(*r.statement);
        EXPECT_EQ(dump, c.dump);
        ParseResult again = parse(dump);
        ASSERT_TRUE(again.ok()) << again.error->message;
        EXPECT_EQ(dumpStatement(*again.statement), dump);
    }
}

// Oracle: an unknown ALTER SYSTEM word is ORA-02065, a KILL SESSION without its quoted 'sid,serial#' ORA-00026,
// a malformed SET ORA-00922 (ORA-00921 when the text ends early); forms Oracle has that the engine does not run are
// refused openly (ORA-03001).
TEST(SysviewParse, AlterSystemErrors)
{
    struct Case {
        const char* sql;
        int code;
        int offset;
    };
    const std::vector<Case> cases {
        { "ALTER SYSTEM FOO", 2065, 13 },
        { "ALTER SYSTEM ENABLE SESSION", 2065, 20 },
        { "ALTER SYSTEM KILL SESSION 12,34", 26, 26 },
        { "ALTER SYSTEM KILL 12", 2065, 18 },
        { "ALTER SYSTEM SET", 921, 16 },
        { "ALTER SYSTEM SET open_cursors", 921, 29 },
        { "ALTER SYSTEM SET open_cursors = )", 922, 32 },
        { "ALTER SYSTEM SET open_cursors = 300 SCOPE = DISK", 922, 44 },
        { "ALTER SYSTEM CHECKPOINT", 3001, 13 },
        { "ALTER SYSTEM SWITCH LOGFILE", 3001, 13 },
        { "ALTER SYSTEM FLUSH SHARED_POOL", 3001, 13 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        ParseResult r = parse(c.sql);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.error->code, c.code) << r.error->message;
        EXPECT_EQ(r.error->offset, c.offset);
    }
}

TEST(SysviewVersion, ReleasesAndBanners)
{
    using namespace engine::sysview;
    struct Case {
        const char* text;
        const char* version; // nullptr: refused
        const char* banner;
    };
    const std::vector<Case> cases {
        { "19", "19.0.0.0.0", "Oracle Database 19c Enterprise Edition Release 19.0.0.0.0 - Production" },
        { "12.1", "12.1.0.1.0", "Oracle Database 12c Enterprise Edition Release 12.1.0.1.0 - Production" },
        { "11.2.0.4", "11.2.0.4.0", "Oracle Database 11g Enterprise Edition Release 11.2.0.4.0 - Production" },
        { "10.2", "10.2.0.1.0", "Oracle Database 10g Enterprise Edition Release 10.2.0.1.0 - Production" },
        { "9.2", "9.2.0.1.0", "Oracle9i Enterprise Edition Release 9.2.0.1.0 - Production" },
        { "8.1.7", "8.1.7.0.0", "Oracle8i Enterprise Edition Release 8.1.7.0.0 - Production" },
        { " 21 ", "21.0.0.0.0", "Oracle Database 21c Enterprise Edition Release 21.0.0.0.0 - Production" },
        { "", nullptr, nullptr },
        { "6.0", nullptr, nullptr },
        { "19.x", nullptr, nullptr },
        { "1.2.3.4.5.6", nullptr, nullptr },
        { "19..0", nullptr, nullptr },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto v = normalizeVersion(c.text);
        if (!c.version) {
            EXPECT_FALSE(v.has_value());
            continue;
        }
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(*v, c.version);
        EXPECT_EQ(versionBanner(*v), c.banner);
    }
    // From 18 on V$VERSION has one row and a compatible of three parts; before, five rows and the release.
    EXPECT_EQ(versionBanners("19.0.0.0.0").size(), 1u);
    EXPECT_EQ(versionBanners("11.2.0.4.0").size(), 5u);
    EXPECT_EQ(versionBanners("11.2.0.4.0")[1], "PL/SQL Release 11.2.0.4.0 - Production");
    EXPECT_EQ(compatibleOf("19.0.0.0.0"), "19.0.0");
    EXPECT_EQ(compatibleOf("9.2.0.1.0"), "9.2.0.1.0");
    EXPECT_EQ(versionFull("19.0.0.0.0"), "19.3.0.0.0");
}

} // namespace
