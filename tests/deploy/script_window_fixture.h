// A script executor on a fresh demo database, logged on as VOXA through the main window, with helpers that write
// script files, store them through the open-file page and read what reached the script table.
#pragma once

#include "db/drivers.h"
#include "db/query.h"
#include "db/session.h"
#include "deploy/execScr.h"
#include "deploy/register_scripts.h"
#include "engine/kit/kit.h"
#include "shell/Main.h"
#include "shell/localmessagedlg.h"
#include "shell/sqleditor.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace deploytest {

// Answers every modal dialog that appears (the system's message dialog) with the given result and keeps its text.
class DialogAnswer : public QObject {
public:
    explicit DialogAnswer(int result)
        : answer(result)
    {
        timer.setInterval(15);
        QObject::connect(&timer, &QTimer::timeout, this, [this] {
            if (auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                for (QLabel* l : dlg->findChildren<QLabel*>())
                    text += l->text() + QLatin1Char('\n');
                ++shown;
                dlg->done(answer);
            }
        });
        timer.start();
    }
    int answer;
    int shown = 0;
    QString text;
    QTimer timer;
};

class ScriptWindowTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        engine::kit::demoTemplate(path(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(tmp.path());
        QDir().mkpath(path(QStringLiteral("bin")));
        TfmMain::Environment env;
        env.executableDir = path(QStringLiteral("bin")) + QLatin1Char('/');
        env.workingDir = tmp.path();
        env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\ScriptLogin");
        main = std::make_unique<TfmMain>(env);
        logOn(*main->osOracle);
        main->connUser = QStringLiteral("VOXA");
        main->connServer = QStringLiteral("DEMO");
        main->ORACLEVersion = main->osOracle->serverMajorVersion();
        main->currentScriptDir = scriptDir();
        QDir().mkpath(scriptDir());
        deploy::registerScriptWindows();
    }
    void TearDown() override
    {
        if (window) {
            DialogAnswer no(7);
            window->close();
            testsupport::waitFor([&] { return window.isNull(); }, 5000);
        }
        main.reset();
        db::setEmbeddedDataDirectory({});
    }

    static void logOn(db::Session& s, const char* user = "VOXA")
    {
        s.setUserName(QString::fromLatin1(user));
        s.setPassword(QString::fromLatin1(user));
        s.setDatabase(QStringLiteral("DEMO"));
        s.logOn();
    }

    QString scriptDir() const { return path(QStringLiteral("scripts")); }

    void open()
    {
        window = deploy::openScriptWindow(*main);
        ASSERT_TRUE(window);
    }

    void writeFile(const QString& fileName, const QString& text)
    {
        QFile f(QDir(scriptDir()).filePath(fileName));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    }

    // Writes name.sql (file name in lower case) and stores it through the open-file page.
    bool store(const QString& name, const QString& text)
    {
        writeFile(name.toLower() + QStringLiteral(".sql"), text);
        window->tbOpenF->click();
        window->edDir->setText(scriptDir());
        window->edSkripta->setText(name);
        if (!window->loadScriptFile())
            return false;
        return window->btScriptPutClick();
    }

    // Rows of a script as "counter stat" (and ":" with the outcome when it has one), by counter.
    QStringList rowsOf(const QString& name, bool withOutcome = false)
    {
        db::Session s;
        logOn(s);
        db::Query q(&s);
        q.setSql(QStringLiteral("select script_counter, script_stat, script_err from vexo_util.vexo_exs "
                                "where script_name = :n order by script_counter"));
        q.setVariable(QStringLiteral("n"), name);
        q.execute();
        QStringList out;
        for (; !q.eof(); q.next()) {
            QString line = q.field(0).toString() + QLatin1Char(' ') + q.field(1).toString();
            if (withOutcome && !q.fieldIsNull(2))
                line += QStringLiteral(": ") + q.field(2).toString();
            out << line;
        }
        return out;
    }

    // The first value of a query, or runs a statement; on a session of its own, committed.
    QString value(const QString& sql)
    {
        db::Session s;
        logOn(s);
        db::Query q(&s);
        q.setSql(sql);
        q.execute();
        const QString v = q.eof() ? QStringLiteral("<none>") : q.field(0).toString();
        q.close();
        s.commit();
        return v;
    }

    std::unique_ptr<TfmMain> main;
    QPointer<TfmScript> window;
};

} // namespace deploytest
