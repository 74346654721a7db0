// The object-status window on a fresh demo database, driven by its controls: the demo's invalid unit and its errors,
// the status view with its search, compiling one object and all of them, Cancel after a failure, dropping with a
// confirmation, and the unattended recompilation the command runner calls.
#include "db/dataset.h"
#include "develop/errors.h"
#include "plsql_fixture.h"
#include "shell/localmessagedlg.h"
#include "shell/pendingwork.h"
#include "shell/themedgrid.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using plsqltest::Answers;
using testsupport::waitFor;

namespace {

class ErrorsWindow : public plsqltest::PlsqlWindowTest {
protected:
    // The names the list shows, in its order.
    static QStringList names(TfmErrors* w)
    {
        QStringList out;
        for (const develop::ListedObject& o : w->listedObjects())
            out << o.name;
        return out;
    }
    static void select(TfmErrors* w, const QString& name)
    {
        const QStringList n = names(w);
        const int row = int(n.indexOf(name));
        ASSERT_GE(row, 0) << name.toStdString();
        w->quInvalid->setRecNo(row + 1);
    }
    QString status(const QString& name)
    {
        return column(QStringLiteral("select status from user_objects where object_name = '%1'").arg(name)).join(',');
    }
    // Three procedures that the missing table ARCH_T makes invalid, besides the demo's P_ARCHIVE_ORDERS.
    void makeInvalidUnits()
    {
        run(QStringLiteral("create table voxa.arch_t (a number)"));
        for (const char* name : { "P_A1", "P_A2", "P_A3" })
            run(QStringLiteral("create or replace procedure voxa.%1 is n number; begin select count(*) into n from "
                               "voxa.arch_t; end;")
                    .arg(QString::fromLatin1(name)));
        run(QStringLiteral("drop table voxa.arch_t"));
    }
};

} // namespace

TEST_F(ErrorsWindow, ListsTheInvalidUnitAndItsErrors)
{
    main->toolButton(QStringLiteral("tbErrors"))->click();
    TfmErrors* w = fmErrors;
    ASSERT_TRUE(w);
    EXPECT_EQ(w->objectName(), QStringLiteral("fmErrors"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("INVALID OBJECTS"));
    EXPECT_EQ(w->edOwner->text(), QStringLiteral("VOXA"));
    EXPECT_EQ(w->currAction, QStringLiteral("INVALID"));
    EXPECT_EQ(names(w), QStringList({ "P_ARCHIVE_ORDERS" }));
    EXPECT_EQ(w->listedObjects().first().type, QStringLiteral("PROCEDURE"));
    EXPECT_TRUE(w->tbCompile->isEnabled());
    EXPECT_FALSE(w->btDropObject->isVisible());
    EXPECT_FALSE(w->cbPrekini->isVisible());

    w->tbErrors->click();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("ERRORS"));
    EXPECT_EQ(w->pcPages->currentWidget(), w->tsErrors);
    EXPECT_FALSE(w->paRight->isVisible());
    EXPECT_FALSE(w->tbCompile->isEnabled());
    ASSERT_EQ(w->quErrors->recordCount(), 2);
    EXPECT_EQ(w->quErrors->fieldValue(QStringLiteral("NAME")).toString(), QStringLiteral("P_ARCHIVE_ORDERS"));
    EXPECT_EQ(w->meErrorText->toPlainText(), QStringLiteral("PL/SQL: ORA-00942: table or view does not exist"));
    // The grid shows where each error is; the text is below it.
    const int text = w->quErrors->fieldIndex(QStringLiteral("TEXT"));
    const int line = w->quErrors->fieldIndex(QStringLiteral("LINE"));
    EXPECT_TRUE(w->dbgErrors->isColumnHidden(text));
    EXPECT_FALSE(w->dbgErrors->isColumnHidden(line));
    w->quErrors->next();
    EXPECT_EQ(w->meErrorText->toPlainText(), QStringLiteral("PL/SQL: SQL Statement ignored"));
}

TEST_F(ErrorsWindow, StatusViewSearchAndOrder)
{
    TfmErrors* w = develop::openErrorsWindow(*main);
    w->tbSP->click();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("OBJECTS STATE"));
    EXPECT_TRUE(w->btDropObject->isVisible());
    EXPECT_FALSE(w->tbCompile->isEnabled());
    EXPECT_GT(names(w).size(), 10);
    // Enter in the search field lists the names that hold the text; with Invalid ticked only the invalid ones.
    w->edSearch->setText(QStringLiteral("ARCHIVE"));
    QTest::keyClick(w->edSearch, Qt::Key_Return);
    EXPECT_EQ(names(w), QStringList({ "P_ARCHIVE_ORDERS" }));
    w->edSearch->setText(QStringLiteral("PCK"));
    QTest::keyClick(w->edSearch, Qt::Key_Return);
    const QStringList pck = names(w);
    EXPECT_GT(pck.size(), 4);
    w->cbInvalid->setChecked(true);
    w->btRefresh->click();
    EXPECT_TRUE(names(w).isEmpty());
    // By name.
    w->cbInvalid->setChecked(false);
    w->btRefresh->click();
    w->rbName->setChecked(true);
    QStringList sorted = names(w);
    QStringList expected = sorted;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected);
    // Another owner, typed in lower case.
    w->edOwner->clear();
    QTest::keyClicks(w->edOwner, QStringLiteral("vexo_util"));
    EXPECT_EQ(w->edOwner->text(), QStringLiteral("VEXO_UTIL"));
    w->edSearch->clear();
    QTest::keyClick(w->edOwner, Qt::Key_Return);
    EXPECT_TRUE(names(w).contains(QStringLiteral("PCKSTRUKTURE")));
}

TEST_F(ErrorsWindow, CompileOneAndAll)
{
    makeInvalidUnits();
    TfmErrors* w = develop::openErrorsWindow(*main);
    EXPECT_EQ(names(w), QStringList({ "P_A1", "P_A2", "P_A3", "P_ARCHIVE_ORDERS" }));
    // One: still invalid while its table is missing; the list shows it again.
    select(w, QStringLiteral("P_A2"));
    w->tbCompile->click();
    EXPECT_TRUE(w->lNapaka);
    EXPECT_EQ(names(w).size(), 4);
    // Once the tables are there, a double click compiles one and Recompile All the rest.
    run(QStringLiteral("create table voxa.arch_t (a number)"));
    run(QStringLiteral("create table voxa.orders_archive as select * from voxa.orders where 1 = 0"));
    select(w, QStringLiteral("P_A2"));
    emit w->dbgInvalid->doubleClicked(w->dbgInvalid->currentIndex());
    EXPECT_FALSE(w->lNapaka);
    EXPECT_EQ(names(w), QStringList({ "P_A1", "P_A3", "P_ARCHIVE_ORDERS" }));
    EXPECT_EQ(status(QStringLiteral("P_A2")), QStringLiteral("VALID"));
    w->tbCompileAll->click();
    EXPECT_TRUE(names(w).isEmpty());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("INVALID OBJECTS"));
    EXPECT_EQ(status(QStringLiteral("P_ARCHIVE_ORDERS")), QStringLiteral("VALID"));
    EXPECT_FALSE(w->cbPrekini->isVisible());
    // An empty list compiles nothing and shows the invalid view again.
    w->tbCompileAll->click();
    EXPECT_TRUE(names(w).isEmpty());
}

TEST_F(ErrorsWindow, CancelAfterAFailureStopsBeforeTheNextObject)
{
    makeInvalidUnits();
    // P_A1 stays invalid (its table is still missing); the others would compile.
    run(QStringLiteral("create table voxa.orders_archive as select * from voxa.orders where 1 = 0"));
    run(QStringLiteral("create or replace procedure voxa.p_a2 is begin null; end;"));
    run(QStringLiteral("alter procedure voxa.p_a2 compile"));
    run(QStringLiteral("create table voxa.arch_t2 (a number)"));
    run(QStringLiteral("create or replace procedure voxa.p_a3 is n number; begin select count(*) into n from "
                       "voxa.arch_t2; end;"));
    run(QStringLiteral("drop table voxa.arch_t2"));
    run(QStringLiteral("create table voxa.arch_t2 (a number)"));
    TfmErrors* w = develop::openErrorsWindow(*main);
    ASSERT_EQ(names(w), QStringList({ "P_A1", "P_A3", "P_ARCHIVE_ORDERS" }));
    // The person ticks Cancel as soon as it shows.
    struct TickWhenShown : QObject {
        QCheckBox* box;
        int shown = 0;
        explicit TickWhenShown(QCheckBox* b)
            : box(b)
        {
            box->installEventFilter(this);
        }
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Show) {
                ++shown;
                QMetaObject::invokeMethod(box, [b = box] { b->setChecked(true); }, Qt::QueuedConnection);
            }
            return false;
        }
    } person(w->cbPrekini);
    w->tbCompileAll->click();
    EXPECT_EQ(person.shown, 1);
    EXPECT_EQ(status(QStringLiteral("P_A3")), QStringLiteral("INVALID"));
    EXPECT_EQ(status(QStringLiteral("P_ARCHIVE_ORDERS")), QStringLiteral("INVALID"));
    EXPECT_FALSE(w->cbPrekini->isVisible());
    EXPECT_FALSE(w->cbPrekini->isChecked());
    // Without the tick the run goes on past the failure.
    w->cbPrekini->removeEventFilter(&person);
    w->tbCompileAll->click();
    EXPECT_EQ(status(QStringLiteral("P_A3")), QStringLiteral("VALID"));
    EXPECT_EQ(names(w), QStringList({ "P_A1" }));
}

TEST_F(ErrorsWindow, DropAsksAndTheListFollows)
{
    run(QStringLiteral("create or replace procedure voxa.\"Drop Me\" is begin null; end;"));
    TfmErrors* w = develop::openErrorsWindow(*main);
    w->tbSP->click();
    // The search takes the name's letters as they are stored.
    w->edSearch->setText(QStringLiteral("rop M"));
    w->btRefresh->click();
    EXPECT_EQ(names(w), QStringList({ "Drop Me" }));
    select(w, QStringLiteral("Drop Me"));
    {
        Answers no(shell::mrNo);
        w->btDropObject->click();
        ASSERT_EQ(no.texts.size(), 1);
        EXPECT_TRUE(no.texts.first().contains(QStringLiteral("VOXA.Drop Me PROCEDURE")));
    }
    EXPECT_EQ(status(QStringLiteral("Drop Me")), QStringLiteral("VALID"));
    {
        Answers yes(shell::mrYes);
        w->btDropObject->click();
        ASSERT_EQ(yes.texts.size(), 2);
        EXPECT_EQ(yes.texts.last(), QStringLiteral("VOXA.Drop Me PROCEDURE  DROPED"));
    }
    EXPECT_TRUE(status(QStringLiteral("Drop Me")).isEmpty());
    EXPECT_FALSE(names(w).contains(QStringLiteral("Drop Me")));
    EXPECT_EQ(w->currAction, QStringLiteral("ALL"));
}

TEST_F(ErrorsWindow, DdlOnTheMainSessionAsksAboutOtherWindowsWork)
{
    makeInvalidUnits();
    QObject other;
    shell::registerPendingWork(&other, [](const db::Session&) { return QStringLiteral("fmOther: edits"); });
    TfmErrors* w = develop::openErrorsWindow(*main);
    const int before = int(names(w).size());
    run(QStringLiteral("create table voxa.arch_t (a number)"));
    {
        Answers no(shell::mrNo);
        w->tbCompileAll->click();
        ASSERT_EQ(no.texts.size(), 1);
        EXPECT_TRUE(no.texts.first().contains(QStringLiteral("fmOther: edits")));
    }
    EXPECT_EQ(int(names(w).size()), before);
    EXPECT_EQ(status(QStringLiteral("P_A1")), QStringLiteral("INVALID"));
}

TEST_F(ErrorsWindow, TheUnattendedRecompilation)
{
    makeInvalidUnits();
    // The demo's unit cannot compile: the window stays open and the run may not close.
    EXPECT_FALSE(develop::izvediErrors(*main, QStringLiteral("AUDIT")));
    QPointer<TfmErrors> w = fmErrors;
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->edOwner->text(), QStringLiteral("VOXA"));
    EXPECT_EQ(names(w), QStringList({ "P_A1", "P_A2", "P_A3", "P_ARCHIVE_ORDERS" }));
    w->close();
    ASSERT_TRUE(waitFor([&] { return w.isNull(); }));

    // With the tables back everything compiles, and the window closes.
    run(QStringLiteral("create table voxa.arch_t (a number)"));
    run(QStringLiteral("create table voxa.orders_archive as select * from voxa.orders where 1 = 0"));
    EXPECT_TRUE(develop::izvediErrors(*main, QString()));
    w = fmErrors;
    ASSERT_TRUE(waitFor([&] { return w.isNull(); }));
    EXPECT_EQ(status(QStringLiteral("P_ARCHIVE_ORDERS")), QStringLiteral("VALID"));

    // Another owner by its parameter: nothing invalid there.
    EXPECT_TRUE(develop::izvediErrors(*main, QStringLiteral("bildor")));
}

TEST_F(ErrorsWindow, SlovenianTexts)
{
    main->currLanguage = QStringLiteral("SLO");
    TfmErrors* w = develop::openErrorsWindow(*main);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("OBJEKTI Z NAPAKAMI"));
    EXPECT_EQ(w->tbCompileAll->toolTip(), QStringLiteral("Prevedi vse objekte"));
    EXPECT_EQ(w->btDropObject->text(), QStringLiteral("Briši objekt"));
    w->tbSP->click();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("OBJEKTI-STANJE,ZADNJI POPRAVKI"));
    w->tbErrors->click();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("NAPAKE"));
}
