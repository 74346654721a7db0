// The client's aliases as the logon dialog lists them, read from tnsnames.ora as the Oracle client reads it.
#include "db/oci/ociclient.h"
#include "db/oci/tnsnames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using db::oci::parseTnsAliases;

struct TnsCase {
    const char* name;
    const char* text;
    QStringList aliases;
};

TEST(TnsNames, AliasesOfATable)
{
    const TnsCase cases[] = {
        { "one entry",
            "ORCL = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = db1)(PORT = 1521))\n"
            "  (CONNECT_DATA = (SERVICE_NAME = orcl)))\n",
            { "ORCL" } },
        { "entries over several lines with nested lists",
            "PROD =\n  (DESCRIPTION =\n    (ADDRESS_LIST =\n      (ADDRESS = (PROTOCOL = TCP)(HOST = a)(PORT = 1521))\n"
            "      (ADDRESS = (PROTOCOL = TCP)(HOST = b)(PORT = 1521)))\n    (CONNECT_DATA = (SID = PROD)))\n"
            "test.world=(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=t)(PORT=1521))(CONNECT_DATA=(SID=T)))\n",
            { "PROD", "test.world" } },
        { "comments, also inside a description and with parentheses in them",
            "# DEV = (DESCRIPTION = (nothing))\nDEV = # the developers' database (old)\n"
            "  (DESCRIPTION = # (\n   (ADDRESS = (HOST = d)) # )\n  )\nQA = (DESCRIPTION = (ADDRESS = (HOST = q)))\n",
            { "DEV", "QA" } },
        { "several names for one description", "A1, B2 ,C3 = (DESCRIPTION = (ADDRESS = (HOST = h)))",
            { "A1", "B2", "C3" } },
        { "a name defined twice counts once, whatever its case",
            "X = (DESCRIPTION = (ADDRESS = (HOST = 1)))\nx = (DESCRIPTION = (ADDRESS = (HOST = 2)))", { "X" } },
        { "an entry cut off at the end is not offered",
            "GOOD = (DESCRIPTION = (ADDRESS = (HOST = g)))\nBROKEN = (DESCRIPTION = (ADDRESS = (HOST = b))",
            { "GOOD" } },
        { "Windows line ends and blank lines", "\r\n\r\nW1 =\r\n (DESCRIPTION =\r\n (ADDRESS = (HOST = w)))\r\n",
            { "W1" } },
        { "an empty file", "", {} },
        { "only comments", "# nothing here\n#\n", {} },
    };
    for (const TnsCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseTnsAliases(QString::fromUtf8(c.text)), c.aliases);
    }
}

void write(const QString& path, const QByteArray& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

TEST(TnsNames, IfileIsReadRelativeToTheFileAndOnlyOnce)
{
    QTemporaryDir tmp;
    QDir(tmp.path()).mkdir(QStringLiteral("more"));
    write(QDir(tmp.path()).filePath(QStringLiteral("tnsnames.ora")),
        "MAIN = (DESCRIPTION = (ADDRESS = (HOST = m)))\nIFILE = more/extra.ora\nIFILE=\"missing.ora\"\n"
        "LAST = (DESCRIPTION = (ADDRESS = (HOST = l)))\n");
    // The included file includes the first one again: no endless loop, no duplicate names.
    write(QDir(tmp.path()).filePath(QStringLiteral("more/extra.ora")),
        "EXTRA = (DESCRIPTION = (ADDRESS = (HOST = e)))\nifile = ../tnsnames.ora\n");
    EXPECT_EQ(db::oci::readTnsAliases(QDir(tmp.path()).filePath(QStringLiteral("tnsnames.ora"))),
        (QStringList { "MAIN", "EXTRA", "LAST" }));
}

struct EnvGuard {
    QByteArray name;
    QByteArray old;
    bool had;
    EnvGuard(const char* n, const QString& value)
        : name(n)
        , old(qgetenv(n))
        , had(qEnvironmentVariableIsSet(n))
    {
        if (value.isNull())
            qunsetenv(n);
        else
            qputenv(n, value.toLocal8Bit());
    }
    ~EnvGuard()
    {
        if (had)
            qputenv(name.constData(), old);
        else
            qunsetenv(name.constData());
    }
};

TEST(TnsNames, TnsAdminComesBeforeTheClientsNetworkAdmin)
{
    QTemporaryDir tmp;
    QDir dir(tmp.path());
    dir.mkpath(QStringLiteral("admin"));
    dir.mkpath(QStringLiteral("home/network/admin"));
    write(dir.filePath(QStringLiteral("admin/tnsnames.ora")), "zeta = (D = (A = 1))\nAlpha = (D = (A = 2))\n");
    write(dir.filePath(QStringLiteral("home/network/admin/tnsnames.ora")), "HOMEDB = (D = (A = 1))\n");
    {
        EnvGuard tns("TNS_ADMIN", dir.filePath(QStringLiteral("admin")));
        EnvGuard home("ORACLE_HOME", dir.filePath(QStringLiteral("home")));
        EXPECT_EQ(db::oci::clientAliases(), (QStringList { "Alpha", "zeta" })); // sorted for the dialog
    }
    {
        EnvGuard tns("TNS_ADMIN", dir.filePath(QStringLiteral("nowhere")));
        EnvGuard home("ORACLE_HOME", dir.filePath(QStringLiteral("home")));
        EXPECT_EQ(db::oci::clientAliases(), QStringList { "HOMEDB" });
    }
    {
        EnvGuard tns("TNS_ADMIN", QString());
        EnvGuard home("ORACLE_HOME", QString());
        db::oci::setClientLocation(dir.filePath(QStringLiteral("home")));
        EXPECT_EQ(db::oci::clientAliases(), QStringList { "HOMEDB" });
        db::oci::setClientLocation({});
        EXPECT_TRUE(db::oci::clientAliases().isEmpty());
    }
}

} // namespace
