// The main window logged on to a fresh demo database as VOXA, with the PL/SQL windows registered, for the tests of
// the PL/SQL editor and the object-status window; and a person who answers the dialogs those windows show.
#pragma once

#include "db/drivers.h"
#include "db/query.h"
#include "db/session.h"
#include "develop/register_plsql.h"
#include "engine/kit/kit.h"
#include "platform/configdir.h"
#include "shell/Main.h"
#include "support/tempdir.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QTimer>

#include <memory>

namespace plsqltest {

// Answers every modal dialog that comes up (the system's message dialog) with the result given, and keeps their
// texts; a file dialog gets the file given, or is cancelled when there is none.
class Answers : public QObject {
public:
    explicit Answers(int result, const QString& file = {})
        : answer(result)
        , file(file)
    {
        timer.setInterval(15);
        QObject::connect(&timer, &QTimer::timeout, this, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w)
                return;
            if (auto* files = qobject_cast<QFileDialog*>(w)) {
                ++fileDialogs;
                if (this->file.isEmpty()) {
                    files->reject();
                    return;
                }
                files->selectFile(this->file);
                QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
                return;
            }
            if (auto* dlg = qobject_cast<QDialog*>(w)) {
                QString text;
                for (QLabel* l : dlg->findChildren<QLabel*>())
                    text += l->text();
                texts << text;
                dlg->done(answer);
            }
        });
        timer.start();
    }
    int answer;
    QString file;
    QStringList texts;
    int fileDialogs = 0;
    QTimer timer;
};

class PlsqlWindowTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        engine::kit::demoTemplate(path(QStringLiteral("DEMO")).toStdString());
        db::setEmbeddedDataDirectory(tmp.path());
        QDir().mkpath(path(QStringLiteral("config")));
        platform::setUserConfigDir(path(QStringLiteral("config")));
        develop::registerPlsqlWindows();
        main = makeMain();
    }
    void TearDown() override
    {
        closeToolWindows();
        main.reset();
        platform::setUserConfigDir({});
        db::setEmbeddedDataDirectory({});
    }

    // A main window as the program has it after a logon as VOXA.
    std::unique_ptr<TfmMain> makeMain()
    {
        QDir().mkpath(path(QStringLiteral("bin")));
        TfmMain::Environment env;
        env.executableDir = path(QStringLiteral("bin")) + QLatin1Char('/');
        env.workingDir = tmp.path();
        env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\PlsqlLogin");
        auto m = std::make_unique<TfmMain>(env);
        m->osOracle->setUserName(QStringLiteral("VOXA"));
        m->osOracle->setPassword(QStringLiteral("VOXA"));
        m->osOracle->setDatabase(QStringLiteral("DEMO"));
        m->osOracle->logOn();
        m->connUser = QStringLiteral("VOXA");
        m->connServer = QStringLiteral("DEMO");
        m->currOwner = QStringLiteral("VOXA");
        m->ORACLEVersion = m->osOracle->serverMajorVersion();
        m->enableConnectedActions(true);
        return m;
    }

    // Closes every tool window, answering No to any question, and waits until they are gone.
    static void closeToolWindows()
    {
        Answers no(7);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && !qobject_cast<TfmMain*>(w) && w->testAttribute(Qt::WA_DeleteOnClose))
                w->close();
        testsupport::waitFor(
            [] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w->isVisible() && !qobject_cast<TfmMain*>(w) && w->testAttribute(Qt::WA_DeleteOnClose))
                        return false;
                return true;
            },
            5000);
    }

    // The first column of every row of a query on a session of its own (what others see) or on the main session.
    QStringList column(const QString& sql, db::Session* on = nullptr)
    {
        std::unique_ptr<db::Session> own;
        if (!on) {
            own = std::make_unique<db::Session>();
            own->setUserName(QStringLiteral("VOXA"));
            own->setPassword(QStringLiteral("VOXA"));
            own->setDatabase(QStringLiteral("DEMO"));
            own->logOn();
            on = own.get();
        }
        db::Query q(on);
        q.setSql(sql);
        q.execute();
        QStringList out;
        for (; !q.eof(); q.next())
            out << (q.fieldIsNull(0) ? QStringLiteral("NULL") : q.field(0).toString());
        return out;
    }
    void run(const QString& sql)
    {
        db::Query q(main->osOracle);
        q.setSql(sql);
        q.execute();
    }

    template <typename T> static T* newestWindow()
    {
        T* found = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* t = qobject_cast<T*>(w); t && t->isVisible())
                found = t;
        return found;
    }

    std::unique_ptr<TfmMain> main;
};

} // namespace plsqltest
