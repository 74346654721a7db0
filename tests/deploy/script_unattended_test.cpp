// The script executor driven the way the command runner drives it: the fields p_auto, edSkripta, edDir,
// cbAllScripts, pcExec and the main window's currentScript set before the window is shown. It stores and runs the
// script once and closes itself; a script stored before is not run again; failures never wait for a person and are
// left in the main window's pExecuteScriptNapaka.
#include "script_window_fixture.h"

#include "shell/pendingwork.h"

#include <QComboBox>
#include <QTabWidget>

using deploytest::DialogAnswer;
using testsupport::waitFor;

class ScriptUnattended : public deploytest::ScriptWindowTest {
protected:
    // Shows a window set up as the runner sets it and waits until it has closed itself.
    void runUnattended(const QString& name, const QString& dir)
    {
        auto* w = new TfmScript(main.get(), main.get());
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->setObjectName(QStringLiteral("fmScript_auto"));
        w->pcExec->setCurrentWidget(w->tabOpenFile);
        w->edSkripta->setText(name);
        main->currentScript = name;
        w->cbAllScripts->setEditText(name);
        w->edDir->setText(dir);
        w->p_auto = true;
        window = w;
        w->show();
        w->activateWindow();
        ASSERT_TRUE(waitFor([&] { return window.isNull(); }, 30000)) << "the window did not close itself";
    }
};

TEST_F(ScriptUnattended, StoresRunsAndCloses)
{
    writeFile(QStringLiteral("v0901.sql"),
        QStringLiteral("#DECLARE VAR_T \"DEPLOY_U\"\n/\nCREATE TABLE VOXA.:VAR_T: (A NUMBER)\n/\n"
                       "INSERT INTO VOXA.:VAR_T: VALUES (1)\n/\n"));
    DialogAnswer watch(shell::mrOk);
    runUnattended(QStringLiteral("V0901"), scriptDir());
    EXPECT_EQ(watch.shown, 0); // nothing waited for a person
    EXPECT_EQ(rowsOf(QStringLiteral("V0901")), (QStringList { "1 X", "2 X" }));
    EXPECT_EQ(value(QStringLiteral("select count(*) from voxa.deploy_u")), QStringLiteral("1"));
    EXPECT_FALSE(main->pExecuteScriptNapaka);

    // The same script again: it has rows, so it closes without running anything.
    value(QStringLiteral("delete from voxa.deploy_u"));
    runUnattended(QStringLiteral("V0901"), scriptDir());
    EXPECT_EQ(value(QStringLiteral("select count(*) from voxa.deploy_u")), QStringLiteral("0"));
    EXPECT_FALSE(main->pExecuteScriptNapaka);
    EXPECT_EQ(watch.shown, 0);
}

TEST_F(ScriptUnattended, FailuresCloseAndAreReported)
{
    struct Case {
        const char* name;
        const char* script; // nullptr: no file at all
        QStringList rows;
    };
    const std::vector<Case> cases = {
        { "V0902", "SELECT 1 FROM DUAL\n/\nSELECT * FROM VOXA.NO_SUCH\n/\nSELECT 3 FROM DUAL\n/\n", { "1 X", "2 E", "3 N" } },
        { "V0903", nullptr, {} }, // the file is missing: no file dialog, a failure
        { "V0904", "SELECT 1 FROM DUAL\n/\nSELECT 2 FROM DUAL\n", {} }, // refused store: nothing is run
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.script)
            writeFile(QString::fromLatin1(c.name).toLower() + QStringLiteral(".sql"), QString::fromUtf8(c.script));
        main->pExecuteScriptNapaka = false;
        DialogAnswer watch(shell::mrOk);
        runUnattended(QString::fromLatin1(c.name), scriptDir());
        EXPECT_EQ(watch.shown, 0);
        EXPECT_TRUE(main->pExecuteScriptNapaka);
        EXPECT_EQ(rowsOf(QString::fromLatin1(c.name)), c.rows);
    }
}

TEST_F(ScriptUnattended, OtherWindowsWorkIsNeverEnded)
{
    writeFile(QStringLiteral("v0905.sql"), QStringLiteral("SELECT 1 FROM DUAL\n/\n"));
    QObject other;
    shell::registerPendingWork(&other, [](const db::Session&) { return QStringLiteral("WorkSheet_3: pending"); });
    DialogAnswer watch(shell::mrYes);
    runUnattended(QStringLiteral("V0905"), scriptDir());
    EXPECT_EQ(watch.shown, 0);
    EXPECT_TRUE(main->pExecuteScriptNapaka);
    EXPECT_TRUE(rowsOf(QStringLiteral("V0905")).isEmpty());
}
