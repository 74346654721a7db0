// The main window logged on to a fresh demo database (with the damaged table VOXA.REPAIR_T beside the demo's own),
// the structure windows registered, and a person who answers every message dialog and keeps its text.
#pragma once

#include "admin/register_structure.h"
#include "admin_fixture.h"
#include "shell/Main.h"
#include "shell/localmessagedlg.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QTimer>

namespace admintest {

// Answers each modal dialog that comes up with `answer` and keeps what it said.
class Dialogs : public QObject {
public:
    explicit Dialogs(int result)
        : answer(result)
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, this, [this] {
            if (auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                QString text;
                for (QLabel* l : dlg->findChildren<QLabel*>())
                    text += l->text();
                texts.append(text);
                dlg->done(answer);
            }
        });
        timer.start();
    }
    QString all() const { return texts.join(QStringLiteral("\n---\n")); }
    int answer;
    QStringList texts;
    QTimer timer;
};

class WindowTest : public DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        makeDamagedTable(demoDir());
        QDir().mkpath(path(QStringLiteral("bin")));
        TfmMain::Environment env;
        env.executableDir = path(QStringLiteral("bin")) + QLatin1Char('/');
        env.workingDir = tmp.path();
        env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\StructureLogin");
        main = std::make_unique<TfmMain>(env);
        db::Session& s = *main->osOracle;
        s.setUserName(QStringLiteral("VOXA"));
        s.setPassword(QStringLiteral("VOXA"));
        s.setDatabase(QStringLiteral("DEMO"));
        s.logOn();
        main->connUser = QStringLiteral("VOXA");
        main->connServer = QStringLiteral("DEMO");
        main->currOwner = QStringLiteral("VOXA");
        main->currCommentsFile = tmp.path();
        main->ORACLEVersion = s.serverMajorVersion();
        admin::registerStructureWindows();
        logOn();
    }
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != main.get() && w->parent() == nullptr && w->objectName().startsWith(QLatin1String("fm")))
                delete w;
        main.reset();
        DemoTest::TearDown();
    }
    // What another session sees.
    QStringList committed(const QString& sql) { return column(sql); }

    std::unique_ptr<TfmMain> main;
};

} // namespace admintest
