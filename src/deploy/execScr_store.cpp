// TfmScript: the open-file page (loading, storing and saving a script file) and the unattended store-and-run.
#include "deploy/execScr.h"

#include "db/oracleerror.h"
#include "db/session.h"
#include "deploy/scriptstore.h"
#include "deploy/scripttable.h"
#include "develop/lastver.h"
#include "platform/inifile.h"
#include "shell/Main.h"
#include "shell/commandline.h"
#include "shell/localmessagedlg.h"
#include "shell/sqleditor.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

void TfmScript::tbOpenFClick()
{
    showPage(tabOpenFile, true);
}

bool TfmScript::loadScriptFile()
{
    btScriptPut->setEnabled(false);
    const QString dir = edDir->text().trimmed();
    const QString name = edSkripta->text().trimmed();
    currFile = QDir(dir).filePath(name + QStringLiteral(".sql"));
    if (!dir.isEmpty() && !name.isEmpty()) {
        // The name is shown in upper case; the file may be written in any case.
        const QString onDisk = shell::resolveFileNameIgnoringCase(currFile);
        if (QFileInfo(onDisk).isFile() && meVse->loadFile(onDisk)) {
            currFile = onDisk;
            btScriptPut->setEnabled(true);
            return true;
        }
    }
    // Unattended nobody answers a file dialog.
    if (p_auto)
        return false;
    const QString chosen = QFileDialog::getOpenFileName(this, texts.tbOpenF, dir,
        QStringLiteral("SQL (*.sql);;* (*)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (chosen.isEmpty())
        return false;
    if (!meVse->loadFile(chosen)) {
        message(meVse->errorString(), int(shell::MsgDlgType::mtError));
        return false;
    }
    currFile = chosen;
    const QFileInfo info(chosen);
    if (mainWindow) {
        const shell::FileDirNameResult parts = mainWindow->FileDirName(chosen);
        mainWindow->currentScript = parts.fileName;
        mainWindow->currentScriptDir = parts.directory;
    }
    edDir->setText(QDir::toNativeSeparators(info.absolutePath()));
    edSkripta->setText(info.completeBaseName().toUpper());
    if (mainWindow)
        mainWindow->currentScript = edSkripta->text();
    btScriptPut->setEnabled(true);
    return true;
}

void TfmScript::btOpenFileClick()
{
    loadScriptFile();
    btSaveScript->setEnabled(false);
}

bool TfmScript::btScriptPutClick()
{
    if (!mainWindow || !osOracle)
        return false;
    // The name the rows get is the one whose rows are counted.
    QString name = edSkripta->text().trimmed().toUpper();
    if (name.isEmpty())
        name = mainWindow->currentScript.trimmed().toUpper();
    if (name.isEmpty()) {
        message(texts.nizEnterScript, int(shell::MsgDlgType::mtWarning));
        return false;
    }
    edSkripta->setText(name);
    mainWindow->currentScript = name;
    const QString owner = mainWindow->connUser.toUpper();
    qint64 count = 0;
    try {
        count = deploy::countScriptRows(*osOracle, name, mainWindow->currMoreInstall ? owner : QString());
    } catch (const db::OracleError& e) {
        showDbError(e.message());
        return false;
    }
    if (count > 0) {
        if (!p_auto)
            message(texts.nizNotEmpty + QString::number(count) + QLatin1Char(' ') + texts.nizRecords,
                int(shell::MsgDlgType::mtWarning));
        return false;
    }
    // Condition queries and the insert commit the main session.
    if (!mayEndMainSession(btScriptPut->text().remove(QLatin1Char('&'))))
        return false;

    deploy::StoreRequest request;
    request.name = name;
    request.owner = owner;
    request.scriptDateOwner = p_scriptDateOwner;
    TfmMain* main = mainWindow;
    if (main->currMoreInstall)
        request.options.substitute = [main](const QString& text) { return main->zamenjave(text, QStringLiteral("SKRIPTA")); };
    if (!main->p_hostAudit.isEmpty() && main->p_hostAudit != QLatin1String("N")) {
        // With the audit kept elsewhere, a PL/SQL file loses the semicolon of a plain statement; errors are ignored.
        request.options.plsqlStatement = [main](const QString& statement) {
            const QString file = statement.mid(8).trimmed();
            QFile f(file);
            if (!f.open(QIODevice::ReadOnly))
                return;
            const shell::DecodedText decoded = shell::decodeText(f.readAll());
            f.close();
            const QString changed = main->f_venPodpicje(decoded.text);
            if (changed == decoded.text)
                return;
            shell::TextEncoding encoding = decoded.encoding;
            const QByteArray bytes = shell::encodeText(changed, encoding);
            if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                f.write(bytes);
        };
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const deploy::StoreOutcome outcome = deploy::storeScript(*osOracle, meVse->textLines(), request);
    QApplication::restoreOverrideCursor();
    // The store committed or rolled back the main session: a reset of this window is decided with it.
    setPendingReset(false);

    meOutput->clear();
    for (const deploy::ConditionNote& note : outcome.resolve.notes) {
        const QString line = texts.nizConditionFailed.arg(note.line).arg(note.error);
        meOutput->appendPlainText(line);
        if (p_auto)
            std::fprintf(stderr, "%s\n", qPrintable(line));
    }
    if (!outcome.resolve.ok()) {
        const QString why = outcome.resolve.error == deploy::ResolveError::UnterminatedStatement
            ? texts.nizUnterminated.arg(outcome.resolve.errorLine)
            : texts.nizNoEndif.arg(outcome.resolve.errorLine);
        meOutput->appendPlainText(why);
        message(why + QStringLiteral("\r\n") + texts.nizNothingStored, int(shell::MsgDlgType::mtError));
        return false;
    }
    if (!outcome.stored) {
        const QString text = texts.nizErrorAdd + QString::number(outcome.failedCounter) + QStringLiteral("\r\n")
            + outcome.failedLines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n") + outcome.serverError;
        meOutput->appendPlainText(text + QLatin1Char('\n') + texts.nizNothingStored);
        message(text + QStringLiteral("\r\n\r\n") + texts.nizNothingStored, int(shell::MsgDlgType::mtError));
        return false;
    }
    meOutput->appendPlainText(texts.nizStored.arg(name).arg(outcome.resolve.rows.size()));
    fillScriptList();
    cbAllScripts->setEditText(name);
    zadnjaSkripta = QStringLiteral("\"#$%&/");
    tbRunClick();
    if (!main->settingsFile.isEmpty()) {
        platform::IniFile settings(main->settingsFile);
        const develop::ShraniLastVerResult saved
            = develop::ShraniLastVer(main->currLastVer, main->connServer, main->connUser, name, settings);
        if (!saved.ok)
            meOutput->appendPlainText(saved.error);
        laLastVer->setText(develop::GetLastVer(main->currLastVer, main->connServer, main->connUser));
    }
    return true;
}

void TfmScript::btSaveScriptClick()
{
    if (currFile.isEmpty()) {
        message(texts.nizNoFile, int(shell::MsgDlgType::mtWarning));
        return;
    }
    if (!meVse->saveFile(currFile)) {
        message(meVse->errorString(), int(shell::MsgDlgType::mtError));
        return;
    }
    message(mainWindow ? mainWindow->nizDone : QStringLiteral("Done"), int(shell::MsgDlgType::mtInformation));
    btSaveScript->setEnabled(false);
}

// ---- unattended

void TfmScript::autoRun()
{
    if (!mainWindow || !osOracle) {
        finishAutoRun(true);
        return;
    }
    const QString name = mainWindow->currentScript.trimmed().toUpper();
    qint64 count = 0;
    try {
        count = deploy::countScriptRows(
            *osOracle, name, mainWindow->currMoreInstall ? mainWindow->connUser.toUpper() : QString());
    } catch (const db::OracleError& e) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(texts.caption), qPrintable(e.message()));
        finishAutoRun(true);
        return;
    }
    if (count > 0) {
        // Stored before: the script has been deployed, nothing is run again.
        napolniSkriptoIzTabele();
        finishAutoRun(false);
        return;
    }
    if (!loadScriptFile()) {
        message(texts.nizFileMissing.arg(currFile), int(shell::MsgDlgType::mtError));
        finishAutoRun(true);
        return;
    }
    if (!btScriptPutClick()) {
        finishAutoRun(true);
        return;
    }
    tbRunClick();
    spExecAllScriptClick();
    finishAutoRun(mainWindow && mainWindow->pExecuteScriptNapaka);
}

void TfmScript::finishAutoRun(bool failed)
{
    if (failed && mainWindow)
        mainWindow->pExecuteScriptNapaka = true;
    // Nobody waits at an unattended window: it closes a second later, also after a failure, which the runner reads
    // from the main window's pExecuteScriptNapaka.
    tiClose->start();
}
