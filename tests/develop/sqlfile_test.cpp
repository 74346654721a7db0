// The worksheet's files: a file is saved back in the encoding, byte-order mark and line ends it was opened with;
// the output pane saved as Unicode is UTF-16LE without a byte-order mark, and stays so on the next save.
#include "develop/sqlfile.h"
#include "support/tempdir.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using develop::TextFileFormat;
using develop::WorksheetFile;

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

class SqlFileTest : public testsupport::TempDirTest {
protected:
    QByteArray bytes(const QString& name)
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void write(const QString& name, const QByteArray& data)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
};

} // namespace

TEST_F(SqlFileTest, SavingKeepsTheFilesEncodingAndLineEnds)
{
    struct Case {
        const char* name;
        QByteArray original;
        QString text; // as the editor shows it
        QByteArray saved; // after the editor appended " -- č"
    };
    const Case cases[] = {
        { "UTF-8 with CR LF", QByteArray("select 1\r\nfrom dual\r\n"), QStringLiteral("select 1\r\nfrom dual\r\n"),
            QByteArray("select 1\r\nfrom dual -- \xC4\x8D\r\n") },
        { "UTF-8 with LF and a mark", QByteArray("\xEF\xBB\xBFselect 1\n"), QStringLiteral("select 1\n"),
            QByteArray("\xEF\xBB\xBFselect 1 -- \xC4\x8D\n") },
        { "windows-1250", QByteArray("select '\xE8'\r\n"), QStringLiteral("select 'č'\r\n"),
            QByteArray("select '\xE8' -- \xE8\r\n") },
        { "UTF-16LE with a mark", QByteArray("\xFF\xFEx\0\r\0\n\0", 8), QStringLiteral("x\r\n"),
            QByteArray("\xFF\xFEx\0 \0-\0-\0 \0\x0D\x01\r\0\n\0", 18) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write(QStringLiteral("f.sql"), c.original);
        WorksheetFile file;
        const std::optional<QString> text = file.open(path(QStringLiteral("f.sql")));
        ASSERT_TRUE(text);
        EXPECT_EQ(*text, c.text);
        QString edited = *text;
        const qsizetype lastBreak = edited.lastIndexOf(QRegularExpression(QStringLiteral("[^\r\n]")));
        edited.insert(lastBreak + 1, QStringLiteral(" -- č"));
        QString error;
        ASSERT_TRUE(file.save(edited, &error)) << error.toStdString();
        EXPECT_EQ(bytes(QStringLiteral("f.sql")), c.saved);
        ASSERT_TRUE(file.save(edited));
        EXPECT_EQ(bytes(QStringLiteral("f.sql")), c.saved) << "saving again adds nothing";
    }
}

TEST_F(SqlFileTest, TheUnicodeOutputStaysUnicodeOnTheNextSave)
{
    WorksheetFile file;
    EXPECT_FALSE(file.save(QStringLiteral("x"))) << "no file yet: the caller asks for a name";
    ASSERT_TRUE(file.saveAs(path(QStringLiteral("out.txt")), QStringLiteral("A\nč"), develop::unicodeOutputFormat()));
    const QByteArray expected("A\0\r\0\n\0\x0D\x01\r\0\n\0", 12);
    EXPECT_EQ(bytes(QStringLiteral("out.txt")), expected) << "two bytes a character, no byte-order mark";
    ASSERT_TRUE(file.save(QStringLiteral("A\nč")));
    EXPECT_EQ(bytes(QStringLiteral("out.txt")), expected);
    EXPECT_EQ(file.currentFile(), path(QStringLiteral("out.txt")));

    file.clear();
    ASSERT_TRUE(file.saveAs(path(QStringLiteral("new.sql")), QStringLiteral("select 'č' from dual")));
    EXPECT_EQ(bytes(QStringLiteral("new.sql")), QByteArray("select '\xC4\x8D' from dual\r\n")) << "a new file is UTF-8";
}

TEST_F(SqlFileTest, AFailedSaveKeepsTheFile)
{
    write(QStringLiteral("legacy.sql"), QByteArray("select '\xE8'\r\n"));
    WorksheetFile file;
    ASSERT_TRUE(file.open(path(QStringLiteral("legacy.sql"))));
    QString error;
    EXPECT_FALSE(file.save(QStringLiteral("select '\u4E2D'"), &error)) << "windows-1250 cannot store it";
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(bytes(QStringLiteral("legacy.sql")), QByteArray("select '\xE8'\r\n"));
    EXPECT_FALSE(file.open(path(QStringLiteral("missing.sql")), &error));
    EXPECT_EQ(file.currentFile(), path(QStringLiteral("legacy.sql"))) << "a failed open keeps the open file";
    EXPECT_EQ(WorksheetFile::caption(QStringLiteral("WorkSheet  (VOXA@DEMO)"), QStringLiteral("/Tmp/A.SQL")),
        QStringLiteral("WorkSheet  (VOXA@DEMO)  FILE:/tmp/a.sql"));
}

// Save adds ".sql" to a name picked without a suffix; a point in a directory's name is no suffix.
TEST(SqlFileName, TheSuffixIsLookedForInTheFileNameOnly)
{
    struct Case {
        const char* picked;
        const char* saved;
    };
    const Case cases[] = {
        { "/home/ana/query", "/home/ana/query.sql" },
        { "/home/ana/query.txt", "/home/ana/query.txt" },
        { "/home/ana.k/work/query", "/home/ana.k/work/query.sql" },
        { "/home/ana.k/work/query.SQL", "/home/ana.k/work/query.SQL" },
        { "", "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picked);
        EXPECT_EQ(WorksheetFile::withDefaultSuffix(QString::fromLatin1(c.picked)), QString::fromLatin1(c.saved));
    }
}
