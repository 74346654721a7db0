// The main window logged on to a fresh demo database, for tests that drive the transfer windows by their controls,
// and helpers that answer the modal dialogs those windows show.
#pragma once

#include "demo_fixture.h"
#include "deploy/register_transfer.h"
#include "shell/Main.h"
#include "support/waitfor.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include <memory>

namespace transfertest {

// Answers every modal dialog that comes up (the system's message dialog) with the given result and keeps the texts.
class DialogAnswer : public QObject {
public:
    explicit DialogAnswer(int result)
        : answer(result)
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, this, [this] {
            auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dlg || qobject_cast<QFileDialog*>(dlg))
                return;
            QString text;
            for (QLabel* l : dlg->findChildren<QLabel*>())
                text += l->text();
            texts << text;
            dlg->done(answer);
        });
        timer.start();
    }
    int answer;
    QStringList texts;
    QTimer timer;
};

// Picks a file in every file dialog that comes up while it lives.
class FileAnswer : public QObject {
public:
    explicit FileAnswer(const QString& path)
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, this, [=, this] {
            QFileDialog* dlg = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible())
                    dlg = d;
            if (!dlg)
                return;
            // The name typed in the dialog's own field: selectFile() waits for the directory the dialog is still
            // reading, which on a busy machine may take longer than the test.
            if (auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(path);
            QMetaObject::invokeMethod(dlg, "accept");
        });
        timer.start();
    }
    QTimer timer;
};

class MainWindowTest : public DemoDatabaseTest {
protected:
    void SetUp() override
    {
        DemoDatabaseTest::SetUp();
        QDir().mkpath(path(QStringLiteral("bin")));
        TfmMain::Environment env;
        env.executableDir = path(QStringLiteral("bin")) + QLatin1Char('/');
        env.workingDir = tmp.path();
        env.loginDataKeyPath = QStringLiteral("Software\\Velmorant\\DremmoxTests\\TransferLogin");
        main = std::make_unique<TfmMain>(env);
        main->osOracle->setUserName(QStringLiteral("VOXA"));
        main->osOracle->setPassword(QStringLiteral("VOXA"));
        main->osOracle->setDatabase(QStringLiteral("DEMO"));
        main->osOracle->logOn();
        main->connUser = QStringLiteral("VOXA");
        main->connServer = QStringLiteral("DEMO");
        main->currOwner = QStringLiteral("VOXA");
        main->ORACLEVersion = main->osOracle->serverMajorVersion();
        deploy::registerTransferWindows();
        main->refreshMenuStates();
    }
    void TearDown() override
    {
        main.reset(); // the tool windows are its children

        DemoDatabaseTest::TearDown();
    }

    template <typename W>
    W* topLevel(const QString& name) const
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == name && w->isVisible())
                if (auto* t = qobject_cast<W*>(w))
                    return t;
        return nullptr;
    }

    std::unique_ptr<TfmMain> main;
};

} // namespace transfertest
