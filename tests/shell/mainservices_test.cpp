#include "db/drivers.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "engine/engine.h"
#include "shell/dmuser.h"
#include "shell/macrofile.h"
#include "shell/mainservices.h"
#include "shell/programdate.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace shell;

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

TEST(PretvoriDescriptor, PlainSeparatorOrCharacterCode)
{
    struct Case {
        const char* descriptor;
        QString expected;
    };
    const Case cases[] = {
        { ";", QStringLiteral(";") },
        { "#59", QStringLiteral(";") },
        { "#9", QStringLiteral("\t") },
        { ",", QStringLiteral(",") },
        { "|x", QStringLiteral("|x") },
        { "#269", QString(QChar(0x10D)) }, // č
        { "", QString() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.descriptor);
        EXPECT_EQ(pretvoriDescriptor(QString::fromUtf8(c.descriptor)), c.expected);
    }
}

TEST(PretvoriDescriptor, HashWithoutCodeIsAnError)
{
    for (const char* bad : { "#", "#x", "#-1", "#55296", "#99999999" }) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(pretvoriDescriptor(QString::fromLatin1(bad)), std::invalid_argument);
    }
}

TEST(FileDirName, SplitsAtTheLastSeparatorWithoutCutting)
{
    struct Case {
        QString path, file, dir;
    };
    const QString longName = QString(150, QLatin1Char('n')) + QStringLiteral(".sql");
    const Case cases[] = {
        { QStringLiteral("script.sql"), QStringLiteral("script.sql"), QString() },
        { QStringLiteral("C:\\skripte\\upg1.sql"), QStringLiteral("upg1.sql"), QStringLiteral("C:\\skripte\\") },
        { QStringLiteral("/home/a/b.mdq"), QStringLiteral("b.mdq"), QStringLiteral("/home/a/") },
        { QStringLiteral("C:\\dir\\"), QString(), QStringLiteral("C:\\dir\\") },
        { QStringLiteral("/tmp/") + longName, longName, QStringLiteral("/tmp/") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const FileDirNameResult r = FileDirName(c.path);
        EXPECT_EQ(r.fileName, c.file);
        EXPECT_EQ(r.directory, c.dir);
    }
}

TEST(Zamenjave, SchemaNamesOfScriptsAndCommandLines)
{
    struct Case {
        const char* name;
        QString text, mode, expected;
    };
    const QString S = QStringLiteral("SKRIPTA");
    const QString U = QStringLiteral("UKAZ");
    const Case cases[] = {
        { "grant to role", QStringLiteral("GRANT SELECT ON VOXA.OSEBE TO ZDR"), S,
            QStringLiteral("GRANT SELECT ON INST2.OSEBE TO GNST2") },
        { "any case", QStringLiteral("grant select on voxa.osebe to zdr;"), S,
            QStringLiteral("grant select on INST2.osebe TO GNST2;") },
        { "quoted owner", QStringLiteral("where owner = 'VOXA' or owner='BILDOR'"), S,
            QStringLiteral("where owner = 'INST2' or owner='BIL2'") },
        { "first position kept", QStringLiteral("VOXA.X := BILDOR.Y"), S, QStringLiteral("VOXA.X := BIL2.Y") },
        { "inside a longer word", QStringLiteral("select MYVOXA.A, X_VOXA.B, 1VOXA.C from dual"), S,
            QStringLiteral("select MYVOXA.A, X_VOXA.B, 1VOXA.C from dual") },
        { "role name is a whole word", QStringLiteral("GRANT SELECT ON T TO ZDRAVNIK"), S,
            QStringLiteral("GRANT SELECT ON T TO ZDRAVNIK") },
        { "role at end of line", QStringLiteral("grant x on y to zdr\r\n/"), S,
            QStringLiteral("grant x on y TO GNST2\r\n/") },
        { "line breaks before name", QStringLiteral("select\r\nVOXA.a,(VOXA.b)"), S,
            QStringLiteral("select\r\nINST2.a,(INST2.b)") },
        { "command user", QStringLiteral("CONNECT VOXA GESLO BAZA"), U, QStringLiteral("CONNECT INST2 GESLO BAZA") },
        { "command user not followed by blank", QStringLiteral("CONNECT VOXA_X GESLO"), U,
            QStringLiteral("CONNECT VOXA_X GESLO") },
        { "command user at end of line", QStringLiteral("OWNER VOXA"), U, QStringLiteral("OWNER INST2") },
        { "command user at end of a line with break", QStringLiteral("OWNER BILDOR\r\n"), U,
            QStringLiteral("OWNER BIL2\r\n") },
        { "command mode leaves points", QStringLiteral("SCRIPT VOXA.SQL"), U, QStringLiteral("SCRIPT VOXA.SQL") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(zamenjave(c.text, c.mode, QStringLiteral("INST2"), QStringLiteral("BIL2")), c.expected);
    }
}

TEST(Zamenjave, NoInstallationUserLeavesTheTextAlone)
{
    const QString text = QStringLiteral("select * from x where y=VOXA.f and z=BILDOR.g");
    EXPECT_EQ(zamenjave(text, QStringLiteral("SKRIPTA"), QString(), QString()), text);
}

TEST(Zamenjave, LongTextsAreNotCut)
{
    QString text;
    for (int i = 0; i < 120000; ++i)
        text += QStringLiteral(" VOXA.T%1").arg(i % 10);
    const QString result = zamenjave(text, QStringLiteral("SKRIPTA"), QStringLiteral("AB"), QStringLiteral("CD"));
    EXPECT_EQ(result.count(QStringLiteral("AB.T")), 120000);
    EXPECT_FALSE(result.contains(QStringLiteral("VOXA")));
}

TEST(PostaviLiveQuery, RewritesSingleTableQueries)
{
    struct Case {
        const char* name;
        QString text, expected;
    };
    const Case cases[] = {
        { "alias gets its rowid first", QStringLiteral("SELECT e.ime, e.priimek FROM osebe e WHERE e.id = 1"),
            QStringLiteral("SELECT e.rowid,e.ime, e.priimek FROM osebe e WHERE e.id = 1") },
        { "alias at the very end", QStringLiteral("select * from osebe o"),
            QStringLiteral("select o.rowid,* from osebe o") },
        { "no alias", QStringLiteral("SELECT ime, priimek FROM osebe"),
            QStringLiteral("SELECT xxx.ime, xxx.priimek,rowid FROM osebe xxx") },
        { "star", QStringLiteral("select * from osebe where osebe.id > 3 order by osebe.ime"),
            QStringLiteral("select xxx.*,rowid from osebe xxx where xxx.id > 3 order by xxx.ime") },
        { "line breaks", QStringLiteral("SELECT\r\n  a,\r\n  b\r\nFROM t\r\nWHERE a=1"),
            QStringLiteral("SELECT\r\n  xxx.a,\r\n  xxx.b,rowid\r\nFROM t xxx\r\nWHERE a=1") },
        { "column named like from", QStringLiteral("SELECT date_from, valid_from FROM obdobja"),
            QStringLiteral("SELECT xxx.date_from, xxx.valid_from,rowid FROM obdobja xxx") },
        { "expressions and column aliases", QStringLiteral("SELECT upper(ime) i, ime x, 'k' FROM osebe"),
            QStringLiteral("SELECT upper(ime) i, xxx.ime x, 'k',rowid FROM osebe xxx") },
        { "qualified by the table", QStringLiteral("SELECT osebe.ime FROM osebe"),
            QStringLiteral("SELECT xxx.ime,rowid FROM osebe xxx") },
        { "table name inside longer names untouched", QStringLiteral("SELECT a FROM emp WHERE emp_no = 1"),
            QStringLiteral("SELECT xxx.a,rowid FROM emp xxx WHERE emp_no = 1") },
        { "for update is no alias", QStringLiteral("SELECT a FROM t FOR UPDATE"),
            QStringLiteral("SELECT xxx.a,rowid FROM t xxx FOR UPDATE") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LiveQueryResult r = postaviLiveQuery(c.text);
        EXPECT_EQ(r.text, c.expected);
        EXPECT_TRUE(r.message.isEmpty());
    }
}

TEST(PostaviLiveQuery, LeavesWhatCannotBeLive)
{
    const QString cases[] = {
        QStringLiteral("SELECT e.rowid, e.ime FROM osebe e"),
        QStringLiteral("SELECT ROWID, ime FROM osebe"),
        QStringLiteral("UPDATE osebe SET ime = 'x'"),
        QStringLiteral("SELECT 1"),
        QStringLiteral("SELECT DISTINCT ime FROM osebe"),
        QStringLiteral("SELECT a, b FROM t1, t2 WHERE t1.x = t2.x"),
        QStringLiteral("SELECTED"),
    };
    for (const QString& text : cases) {
        SCOPED_TRACE(text.toStdString());
        const LiveQueryResult r = postaviLiveQuery(text);
        EXPECT_EQ(r.text, text);
        EXPECT_TRUE(r.message.isEmpty());
    }
}

TEST(PostaviLiveQuery, GroupByIsRefusedWithMessage)
{
    const QString text = QStringLiteral("select a, count(*) from t group\r\nby a");
    const LiveQueryResult r = postaviLiveQuery(text);
    EXPECT_EQ(r.text, text);
    EXPECT_EQ(r.message, QStringLiteral("SQL stavek z GROUP BY ukazom ne morem pretvoriti v LIVE"));
}

TEST(PostaviLiveQuery, SecondCallChangesNothingAndLongTextsAreKept)
{
    QString text = QStringLiteral("SELECT a, b FROM t WHERE a IN (");
    for (int i = 0; i < 5000; ++i)
        text += QStringLiteral("%1,").arg(i);
    text += QStringLiteral("0) ORDER BY t.a");
    const LiveQueryResult once = postaviLiveQuery(text);
    ASSERT_TRUE(once.text.startsWith(QStringLiteral("SELECT xxx.a, xxx.b,rowid FROM t xxx WHERE")));
    EXPECT_TRUE(once.text.endsWith(QStringLiteral("4999,0) ORDER BY xxx.a")));
    EXPECT_EQ(once.text.size(), text.size() + 8 + 6 + 4 + 2); // two "xxx.", ",rowid", " xxx", "t." to "xxx."
    EXPECT_EQ(postaviLiveQuery(once.text).text, once.text);
}

TEST(PrepareInsertTemplate, FillsPlacesWithTheClipboardWord)
{
    struct Case {
        const char* name;
        bool newLine;
        QString templ, word, expected;
    };
    const Case cases[] = {
        { "after blank and at start", false, QStringLiteral(":? x := :?;"), QStringLiteral("osebe"),
            QStringLiteral("Osebe x := osebe;") },
        { "after other character", false, QStringLiteral("v_:?(:?)"), QStringLiteral("id"),
            QStringLiteral("v_Id(Id)") },
        { "word too long", false, QStringLiteral("select :? from dual"), QStringLiteral("abcdefghijk"),
            QStringLiteral("select ? from dual") },
        { "no word", true, QStringLiteral("x :?"), QString(), QStringLiteral("\rx ?\r") },
        { "inserted word not searched again", false, QStringLiteral(" :?"), QStringLiteral(":?"),
            QStringLiteral(" :?") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(prepareInsertTemplate(c.newLine, c.templ, c.word), c.expected);
    }
    QString longTemplate = QString(30000, QLatin1Char('a')) + QStringLiteral(" :?") + QString(30000, QLatin1Char('b'));
    EXPECT_EQ(prepareInsertTemplate(false, longTemplate, QStringLiteral("w")).size(), 60002);
}

TEST(GetClipboard, ShortTextsOnly)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("osebe"));
    EXPECT_EQ(getClipboard(), QStringLiteral("osebe"));
    EXPECT_EQ(prepareInsertTemplate(false, QStringLiteral(":?")), QStringLiteral("Osebe"));
    clipboard->setText(QStringLiteral("abcdefghijk"));
    EXPECT_EQ(getClipboard(), QString());
}

TEST(BrezNL, CrLfBecomesCrWithoutCutting)
{
    EXPECT_EQ(brezNL(QStringLiteral("a\r\nb\r\n\r\nc")), QStringLiteral("a\rb\r\rc"));
    EXPECT_EQ(brezNL(QStringLiteral("a\nb\r")), QStringLiteral("a\nb\r"));
    const QString longLine = QString(40000, QLatin1Char('x'));
    EXPECT_EQ(brezNL(QStringLiteral("a\r\n") + longLine), QStringLiteral("a\r") + longLine);
}

TEST(FVenPodpicje, PlainStatementsLoseTheirSemicolonBlocksKeepIt)
{
    struct Case {
        const char* name;
        QString text, expected;
    };
    const Case cases[] = {
        { "plain", QStringLiteral("select * from dual;"), QStringLiteral("select * from dual") },
        { "short plain", QStringLiteral("commit;"), QStringLiteral("commit") },
        { "trailing break kept", QStringLiteral("DROP TABLE x;\r\n\r\n"), QStringLiteral("DROP TABLE x\r\n\r\n") },
        { "case expression", QStringLiteral("select case when a=1 then 2 else 3 end;"),
            QStringLiteral("select case when a=1 then 2 else 3 end") },
        { "column named end_date", QStringLiteral("update t set end_date = sysdate;"),
            QStringLiteral("update t set end_date = sysdate") },
        { "no semicolon", QStringLiteral("select 1 from dual\r\n"), QStringLiteral("select 1 from dual\r\n") },
        { "anonymous block", QStringLiteral("begin\r\n  null;\r\nend;\r\n"),
            QStringLiteral("begin\r\n  null;\r\nend;\r\n") },
        { "declare block", QStringLiteral("DECLARE x NUMBER; BEGIN x := 1; END;"),
            QStringLiteral("DECLARE x NUMBER; BEGIN x := 1; END;") },
        { "procedure with end name", QStringLiteral("CREATE OR REPLACE PROCEDURE p IS\r\nBEGIN\r\n  NULL;\r\nEND p;"),
            QStringLiteral("CREATE OR REPLACE PROCEDURE p IS\r\nBEGIN\r\n  NULL;\r\nEND p;") },
        { "package spec without begin",
            QStringLiteral("-- header\r\ncreate package pck as\r\n  procedure a;\r\nend pck;\r\n"),
            QStringLiteral("-- header\r\ncreate package pck as\r\n  procedure a;\r\nend pck;\r\n") },
        { "editionable trigger",
            QStringLiteral("create or replace editionable trigger t before insert on x "
                           "begin null; end;"),
            QStringLiteral("create or replace editionable trigger t before insert on x begin null; end;") },
        { "type body",
            QStringLiteral("CREATE TYPE BODY t AS MEMBER FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; "
                           "END; END;"),
            QStringLiteral("CREATE TYPE BODY t AS MEMBER FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END; END;") },
        { "view is plain", QStringLiteral("create or replace view v as select 1 x from dual;"),
            QStringLiteral("create or replace view v as select 1 x from dual") },
        { "block after comment", QStringLiteral("/* x */ BEGIN p; END;"), QStringLiteral("/* x */ BEGIN p; END;") },
        { "script ending in a block", QStringLiteral("insert into t values (1)\r\n/\r\nbegin p; end x;"),
            QStringLiteral("insert into t values (1)\r\n/\r\nbegin p; end x;") },
        { "labelled block", QStringLiteral("<<l>> begin null; end l;"), QStringLiteral("<<l>> begin null; end l;") },
        { "empty", QString(), QString() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(f_venPodpicje(c.text), c.expected);
    }
}

TEST(SqlTexts, UserTextIsQuoted)
{
    EXPECT_EQ(GetParam107Query(QStringLiteral("aiCity")),
        QStringLiteral("select val1_107 value from voxa.pr107par where attr_007='aiCity'"));
    EXPECT_EQ(GetParam107Query(QStringLiteral("x' or '1'='1")),
        QStringLiteral("select val1_107 value from voxa.pr107par where attr_007='x'' or ''1''=''1'"));
    EXPECT_EQ(changeDateFormatStatement(QStringLiteral("DD.MM.YYYY")),
        QStringLiteral("alter session set nls_date_format=\"DD.MM.YYYY\""));
    EXPECT_EQ(changeDateFormatStatement(QStringLiteral("DD \"of\" MONTH")),
        QStringLiteral("alter session set nls_date_format='DD \"of\" MONTH'"));
    EXPECT_EQ(sqlQuote(QStringLiteral("O'Neil")), QStringLiteral("'O''Neil'"));
}

TEST(UserVhodniParametri, OrganisationHeader)
{
    const auto lookup = [](const QString& name) {
        if (name == QLatin1String("aiOrganization"))
            return QStringLiteral("Podjetje d.o.o.");
        if (name == QLatin1String("aiAddress"))
            return QStringLiteral("Cesta 1");
        if (name == QLatin1String("aiCity"))
            return QStringLiteral("Kranj");
        if (name == QLatin1String("aiPhone"))
            return QStringLiteral("04 123");
        return QString();
    };
    const QString stars(48, QLatin1Char('*'));
    EXPECT_EQ(userVhodniParametri(lookup),
        (QStringList { stars, QStringLiteral("PODJETJE D.O.O."), QStringLiteral("Cesta 1,Kranj"),
            QStringLiteral("04 123"), stars, QString(), QString(), QString() }));
}

TEST(SessionInTransaction, AsksOnlyWorkSheets)
{
    QWidget sheet;
    sheet.setObjectName(QStringLiteral("WorkSheet_3"));
    QWidget other;
    other.setObjectName(QStringLiteral("fmPartSQL"));
    QStringList asked;
    auto answer = [&asked](bool result) {
        return [&asked, result](QWidget* w, const QString& db) {
            asked << w->objectName() + QLatin1Char('@') + db;
            return result;
        };
    };
    EXPECT_TRUE(SessionInTransaction(QStringLiteral("PROD"), answer(true)));
    EXPECT_EQ(asked, QStringList { QStringLiteral("WorkSheet_3@PROD") });
    asked.clear();
    EXPECT_FALSE(SessionInTransaction(QStringLiteral("PROD"), answer(false)));
    EXPECT_EQ(asked.size(), 1);
}

TEST(Sporocilo, YesAndNo)
{
    for (auto button : { QMessageBox::Yes, QMessageBox::No }) {
        QTimer::singleShot(0, [button] {
            QMessageBox* box = nullptr;
            testsupport::waitFor([&box] {
                box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                return box != nullptr;
            });
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), QStringLiteral("Ustavim job?"));
            box->button(button)->click();
        });
        EXPECT_EQ(sporocilo(QStringLiteral("Ustavim job?")), button == QMessageBox::Yes);
    }
}

TEST(PreberiMacroTipke, ParsesOnceAndGivesEveryWindowTheItems)
{
    const QString file = QStringLiteral("#a\r\nselect * from\r\n/Glava\r\nbegin\r\n  null;\r\nend;\r\n/Druga\r\nx");
    MacroTables tables;
    QWidget first;
    QMenu firstPopup;
    QStringList clicked;
    preberiMacroTipke(tables, file, &first, &firstPopup, [&clicked](QAction* a) { clicked << a->objectName(); });
    EXPECT_EQ(tables.mcKeys, QStringLiteral("a"));
    EXPECT_EQ(tables.mcUkaz, 1);
    EXPECT_EQ(tables.mcMacro.value(0), QStringLiteral("select * from"));
    EXPECT_EQ(tables.nrMacros, 2);
    EXPECT_EQ(tables.stMacro.value(0), QStringLiteral("begin\r\n  null;\r\nend;"));
    ASSERT_EQ(firstPopup.actions().size(), 2);
    EXPECT_EQ(firstPopup.actions().at(0)->objectName(), QStringLiteral("Macro1"));
    EXPECT_EQ(firstPopup.actions().at(1)->text(), QStringLiteral("Druga"));
    firstPopup.actions().at(1)->trigger();
    EXPECT_EQ(clicked, QStringList { QStringLiteral("Macro2") });

    // A second editor gets the same items; the tables are not parsed again from a changed text.
    QWidget second;
    QMenu secondPopup;
    preberiMacroTipke(tables, QStringLiteral("/Drugačno"), &second, &secondPopup, nullptr);
    ASSERT_EQ(secondPopup.actions().size(), 2);
    EXPECT_EQ(secondPopup.actions().at(0)->text(), QStringLiteral("Glava"));
    EXPECT_EQ(secondPopup.actions().at(0)->parent(), &second);
}

namespace {

// The services on the embedded engine, which answers as Oracle does.
class DbServices : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        engine::Database::create(path(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(tmp.path());
        for (db::Session* s : { &main, &other }) {
            s->setUserName(QStringLiteral("SYSTEM"));
            s->setPassword(QStringLiteral("MANAGER"));
            s->setDatabase(QStringLiteral("DEMO"));
            s->logOn();
        }
    }
    void TearDown() override
    {
        other.logOff();
        main.logOff();
        db::setEmbeddedDataDirectory({});
    }
    void run(const QString& sql)
    {
        db::Query q(&main);
        q.setSql(sql);
        q.execute();
    }

    db::Session main;
    db::Session other;
};

} // namespace

TEST_F(DbServices, ChangeDateFormatSetsTheSessionOrSaysWhy)
{
    QString error;
    EXPECT_TRUE(changeDateFormat(other, main, QStringLiteral("DD.MM.YYYY"), &error));
    EXPECT_EQ(other.dateFormat(), QStringLiteral("DD.MM.YYYY"));
    // Oracle refuses an unknown format element (ORA-01821); the session keeps its format.
    EXPECT_FALSE(changeDateFormat(other, main, QStringLiteral("DD.QQQ.XYZ"), &error));
    EXPECT_EQ(error, QStringLiteral("Wrong DATE FORMAT"));
    EXPECT_EQ(other.dateFormat(), QStringLiteral("DD.MM.YYYY"));
}

TEST_F(DbServices, ChangeDateFormatMakesItTheProgramsShortDateFormatOnlyWhenAccepted)
{
    ASSERT_TRUE(changeDateFormat(other, main, QStringLiteral("YYYY-MM-DD")));
    EXPECT_EQ(programDateSettings().shortDateFormat, QStringLiteral("YYYY-MM-DD"));
    EXPECT_EQ(programDateSettings().dateSeparator, QLatin1Char('.'));
    EXPECT_FALSE(changeDateFormat(other, main, QStringLiteral("DD.QQQ.XYZ")));
    EXPECT_EQ(programDateSettings().shortDateFormat, QStringLiteral("YYYY-MM-DD"));
    setProgramDateFormat(QStringLiteral("DD.MM.YYYY"));
}

TEST_F(DbServices, ChangeDateFormatKeepsTheMainSessionsOwnTransaction)
{
    run(QStringLiteral("create table t1 (a number)"));
    run(QStringLiteral("insert into t1 values (1)"));
    ASSERT_TRUE(main.inTransaction());
    EXPECT_TRUE(changeDateFormat(main, main, QStringLiteral("YYYY-MM-DD")));
    EXPECT_TRUE(main.inTransaction());
    db::Query q(&main);
    q.setSql(QStringLiteral("select count(*) from t1"));
    q.execute();
    EXPECT_EQ(q.field(0).toInt(), 1);
}

TEST_F(DbServices, ExecDynRunsOrGivesTheServersMessage)
{
    QString error;
    EXPECT_TRUE(execDyn(main, QStringLiteral("create table osebe (id number)"), &error));
    // Oracle: ORA-00942 table or view does not exist.
    EXPECT_FALSE(execDyn(main, QStringLiteral("insert into ni_tabele values (1)"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ORA-00942"))) << error.toStdString();
}

TEST_F(DbServices, TableExistsAsTheDictionarySays)
{
    run(QStringLiteral("create table osebe (id number)"));
    EXPECT_TRUE(tableExists(main, QStringLiteral("SYSTEM"), QStringLiteral("OSEBE")));
    EXPECT_FALSE(tableExists(main, QStringLiteral("SYSTEM"), QStringLiteral("NI_TABELE")));
}

TEST_F(DbServices, ParametersAreEmptyWithoutTheirTables)
{
    EXPECT_EQ(BeriParameter(main, QStringLiteral("ORACLE_VERSION")).value, QString());
    EXPECT_EQ(GetParam107(main, QStringLiteral("aiCity")), QString());
    const QStringList header = userVhodniParametri(main);
    ASSERT_EQ(header.size(), 8);
    EXPECT_EQ(header.at(2), QStringLiteral(","));
}

TEST_F(DbServices, ParametersAreReadAndQuotedNamesFindNothingElse)
{
    run(QStringLiteral("create user voxa identified by voxa"));
    run(QStringLiteral("create table voxa.pr107par (attr_007 varchar2(30), val1_107 varchar2(100))"));
    run(QStringLiteral("insert into voxa.pr107par values ('aiCity', 'Kranj')"));
    run(QStringLiteral("insert into voxa.pr107par values ('O''Neil', 'narekovaj')"));
    run(QStringLiteral("create user vexo_util identified by vexo"));
    run(QStringLiteral("create table vexo_util.quandrelsys (syssprem varchar2(30), sysvred varchar2(100), "
                       "sysopis varchar2(100))"));
    run(QStringLiteral("insert into vexo_util.quandrelsys values ('ORA_VER', '11', 'Oracle version')"));
    main.commit();

    EXPECT_EQ(GetParam107(main, QStringLiteral("aiCity")), QStringLiteral("Kranj"));
    EXPECT_EQ(GetParam107(main, QStringLiteral("O'Neil")), QStringLiteral("narekovaj"));
    EXPECT_EQ(GetParam107(main, QStringLiteral("x' or '1'='1")), QString());
    const SystemParameter p = BeriParameter(main, QStringLiteral("ORA_VER"));
    EXPECT_EQ(p.value, QStringLiteral("11"));
    EXPECT_EQ(p.description, QStringLiteral("Oracle version"));
    EXPECT_EQ(BeriParameter(main, QStringLiteral("NI")).value, QString());
}

TEST_F(DbServices, CanSaveParamReportsAMissingServerPackage)
{
    // Without the application's package the first statement fails, and the caller gets the server's error.
    EXPECT_THROW(TdmUsers::CanSaveParam(main), db::OracleError);
}
