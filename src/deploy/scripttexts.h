// The script executor's texts in the interface language: English, or Slovenian when the main window's currLanguage
// is "SLO". Messages keep the system's own wording; captions and hints are those of the window's layout.
#pragma once

#include <QString>
#include <QStringList>

namespace deploy {

struct ScriptTexts {
    // Messages.
    QString caption; // without the user@server suffix
    QString nizErrorAdd, nizEnterScript, nizNotEmpty, nizRecords, nizDeletePermanent, nizExecutedOk, nizExecutedNok,
        nizOneOk, nizOneNok, nizResetQuestion, nizNoChosen, nizDeleteChosen, nizAll, nizNoFile, nizDoesntExist,
        nizNothingSelected;
    // Messages of the store and run that the layout's texts do not cover.
    QString nizNothingStored, nizUnterminated, nizNoEndif, nizConditionFailed, nizStored, nizFileMissing, nizUnknown,
        nizResetPending, nizEmptyHint;
    // The type combo boxes: N, X, D, E and "A - " + the word for all.
    QStringList typeEntries;
    // Statistics titles: Script, User, Date, OK, Not Executed, Errors, Deleted.
    QStringList statTitles;

    // Tool bar captions (and their hints).
    QString tbOpenF, tbRun, tbSearch, tbStat, tbLargeRB, tbErrors, tbDeleteMore, tbExit;
    // Header, open-file, execute, search, statistics and deletion pages.
    QString laAllScripts, laType, laNapaka, laFilter, spFltScript, spFltScriptHint, edNapakaHint, cbAllScriptsHint,
        laLargeRB, laLastVer;
    QString laDir, laSkripta, btScriptPut, btSaveScript, laOutput;
    QString btRefresh, spExecOne, spExecAllScript, btStop, cbStopOnError, cbThread, cbMess, sbNeizvedeno, spDelete,
        spDeleteAll, btCommit, btRollback, laCurrent, laErrors, laScriptNumber, laToExecute;
    QString laFindScript, btFind, laFindCont, laFindErr;
    QString laStatScript, cbStatNotExecuted, cbStatErrors, cbStatDeleted, btStatRefresh, btShowScript;
    QString laDeleteMore, btDelete;
};

// The texts for a language; stop, commit and rollback are the main window's nizStop, nizCommit and nizRollback,
// which the Slovenian window takes for its buttons.
ScriptTexts scriptTexts(
    const QString& language, const QString& nizStop = {}, const QString& nizCommit = {}, const QString& nizRollback = {});

} // namespace deploy
