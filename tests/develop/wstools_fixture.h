// A fresh copy of the demo database named DEMO for one test, reached through the access layer as the worksheet
// reaches it, with helpers that run statements and read a column as text; and the same database with the main
// window logged on to it and a worksheet opened by it, for the tests that drive the window.
#pragma once

#include "db/drivers.h"
#include "db/query.h"
#include "db/session.h"
#include "develop/registerwindows.h"
#include "develop/workshet.h"
#include "engine/kit/kit.h"
#include "shell/Main.h"
#include "shell/localmessagedlg.h"
#include "shell/sqleditor.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

namespace wstest {

class DemoSessionTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        engine::kit::demoTemplate(tmp.filePath(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(tmp.path());
        session = logOn(engine::kit::kVoxa);
    }
    void TearDown() override
    {
        session.reset();
        db::setEmbeddedDataDirectory({});
    }

    static std::unique_ptr<db::Session> logOn(const engine::kit::DemoUser& user)
    {
        auto s = std::make_unique<db::Session>();
        s->setUserName(QString::fromLatin1(user.name));
        s->setPassword(QString::fromLatin1(user.password));
        s->setDatabase(QStringLiteral("DEMO"));
        s->logOn();
        return s;
    }

    static void run(db::Session& s, const QString& sql)
    {
        db::Query q(&s);
        q.setSql(sql);
        q.execute();
    }

    // The first column of every row, NULL as "NULL".
    static QStringList column(db::Session& s, const QString& sql)
    {
        db::Query q(&s);
        q.setSql(sql);
        q.execute();
        QStringList out;
        for (; !q.eof(); q.next())
            out << (q.fieldIsNull(0) ? QStringLiteral("NULL") : q.field(0).toString());
        return out;
    }

    std::unique_ptr<db::Session> session;
};

// Acts on the modal window (or popup menu) named objectName, or on any when it is empty, when it comes up; once,
// or each time with `repeat`.
class WhenShown : public QObject {
public:
    WhenShown(const QString& objectName, std::function<void(QWidget*)> act, bool repeat = false)
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, this, [this, objectName, act, repeat] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w)
                w = QApplication::activePopupWidget();
            if (!w || (!objectName.isEmpty() && w->objectName() != objectName))
                return;
            if (!repeat)
                timer.stop();
            ++shown;
            act(w);
        });
        timer.start();
    }
    int shown = 0;
    QTimer timer;
};

// Closes a dialog with a result, keeping what its labels said.
inline std::function<void(QWidget*)> answer(int result, QString* said = nullptr)
{
    return [result, said](QWidget* w) {
        auto* dialog = qobject_cast<QDialog*>(w);
        if (!dialog)
            return;
        if (said) {
            said->clear();
            for (const QObject* child : dialog->findChildren<QObject*>()) {
                if (const QVariant text = child->property("text"); text.isValid() && child->inherits("QLabel"))
                    *said += text.toString() + QLatin1Char('|');
            }
        }
        dialog->done(result);
    };
}

// The demo database with the main window logged on to it as VOXA and a worksheet opened by it; the fixture's own
// session sees what the worksheet has committed.
class WorksheetOnDemo : public DemoSessionTest {
protected:
    void SetUp() override
    {
        DemoSessionTest::SetUp();
        TfmMain::Environment env;
        env.executableDir = tmp.path() + QStringLiteral("/");
        env.workingDir = tmp.path();
        env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\WorksheetOnDemoLogin");
        main = std::make_unique<TfmMain>(env);
        main->osOracle->setUserName(session->userName());
        main->osOracle->setPassword(session->password());
        main->osOracle->setDatabase(session->database());
        main->osOracle->logOn();
        main->connUser = session->userName();
        main->connServer = session->database();
        main->ORACLEVersion = main->osOracle->serverMajorVersion();
        main->enableConnectedActions(true);
        prepareMain();
        develop::registerWindows();
        sheet = develop::openWorkSheet(*main);
        ASSERT_TRUE(sheet);
    }
    void TearDown() override
    {
        // Every question on the way out is answered No: nothing of a test stays for the next.
        WhenShown no({}, answer(shell::mrNo), true);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<TfmWorkSheet*>(w))
                w->close();
        }
        testsupport::waitFor(
            [] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (qobject_cast<TfmWorkSheet*>(w))
                        return false;
                return true;
            },
            5000);
        main.reset();
        DemoSessionTest::TearDown();
    }
    // Settings of the main window the worksheet reads at its creation.
    virtual void prepareMain() { }

    // The first value of the query's first row, as another session sees it.
    QVariant committed(const QString& sql)
    {
        db::Query q(session.get());
        q.setSql(sql);
        q.execute();
        return q.eof() ? QVariant() : q.field(0);
    }

    // Types the text and presses Execute in the worksheet; waits until the run has reported.
    static void runIn(TfmWorkSheet* ws, const QString& text)
    {
        ws->meWork->setText(text);
        ws->spExe->click();
        ASSERT_TRUE(testsupport::waitFor([&] { return !ws->running(); }, 20000)) << text.toStdString();
    }

    std::unique_ptr<TfmMain> main;
    QPointer<TfmWorkSheet> sheet;
};

} // namespace wstest
