#include "deploy/scripttexts.h"

namespace deploy {

namespace {

ScriptTexts english()
{
    ScriptTexts t;
    t.caption = QStringLiteral("EXECUTE SCRIPT");
    t.nizErrorAdd = QStringLiteral("ERROR ON ADDING SCRIPT   Number:");
    t.nizEnterScript = QStringLiteral("ENTER ACTIVE SCRIPT");
    t.nizNotEmpty = QStringLiteral("SCRIPT IS NOT EMPTY :");
    t.nizRecords = QStringLiteral("RECORDS");
    t.nizDeletePermanent = QStringLiteral("DELETE (PERMANENT)?");
    t.nizExecutedOk = QStringLiteral("SCRIPTS EXECUTED OK");
    t.nizExecutedNok = QStringLiteral("SCRIPTS EXECUTED NOK");
    t.nizOneOk = QStringLiteral("SCRIPT EXECUTED OK");
    t.nizOneNok = QStringLiteral("SCRIPT EXECUTED NOK");
    t.nizResetQuestion = QStringLiteral("CHANGE STATUS TO NOT EXECUTED?");
    t.nizNoChosen = QStringLiteral("THERE ARE NO CHOOSEN SCRIPTS !");
    t.nizDeleteChosen = QStringLiteral("DELETE CHOOSEN SCRIPTS");
    t.nizAll = QStringLiteral("ALL");
    t.nizNoFile = QStringLiteral("No file defined!");
    t.nizDoesntExist = QStringLiteral(" DOESN'T  EXISTS !");
    t.nizNothingSelected = QStringLiteral("NI IZBRANEGA");
    t.nizNothingStored = QStringLiteral("NOTHING OF THE SCRIPT WAS STORED");
    t.nizUnterminated = QStringLiteral("THE STATEMENT FROM LINE %1 HAS NO CLOSING \"/\" LINE");
    t.nizNoEndif = QStringLiteral("THE CONDITION FROM LINE %1 HAS NO #ENDIF");
    t.nizConditionFailed = QStringLiteral("Line %1: the condition query failed and counts as not met: %2");
    t.nizStored = QStringLiteral("%1: %2 statements stored");
    t.nizFileMissing = QStringLiteral("Script file not found: %1");
    t.nizUnknown = QStringLiteral("UNKNOWN");
    t.nizResetPending = QStringLiteral("%1: statuses reset, not yet committed");
    t.nizEmptyHint = QStringLiteral("Open a script from a file and put it into the table, or choose a stored script "
                                    "and execute it.");
    t.typeEntries = { QStringLiteral("N - NOT EXECUTED"), QStringLiteral("X - EXECUTED"), QStringLiteral("D - DELETED"),
        QStringLiteral("E - ERRORS"), QStringLiteral("A - ALL") };
    t.statTitles = { QStringLiteral("Script"), QStringLiteral("User"), QStringLiteral("Date"), QStringLiteral("OK"),
        QStringLiteral("Not Executed"), QStringLiteral("Errors"), QStringLiteral("Deleted") };
    t.tbOpenF = QStringLiteral("Open script from file");
    t.tbRun = QStringLiteral("Execute script");
    t.tbSearch = QStringLiteral("Search");
    t.tbStat = QStringLiteral("Statistics");
    t.tbLargeRB = QStringLiteral("Large RB ONLINE");
    t.tbErrors = QStringLiteral("Errors");
    t.tbDeleteMore = QStringLiteral("Delete scripts");
    t.tbExit = QStringLiteral("Exit");
    t.laAllScripts = QStringLiteral("Active script:");
    t.laType = QStringLiteral(" Type:");
    t.laNapaka = QStringLiteral("Flt/Error");
    t.laFilter = QStringLiteral("Text:");
    t.spFltScript = QStringLiteral("Refresh");
    t.spFltScriptHint = QStringLiteral("Filter scripts");
    t.edNapakaHint = QStringLiteral("Filter on errors");
    t.cbAllScriptsHint = QStringLiteral("Delete - deletes the chosen script");
    t.laLargeRB = QStringLiteral("LARGERB:");
    t.laLastVer = QStringLiteral("Last version:");
    t.laDir = QStringLiteral("Directory:");
    t.laSkripta = QStringLiteral("Script:");
    t.btScriptPut = QStringLiteral("&Put into Table");
    t.btSaveScript = QStringLiteral("&Save Script");
    t.laOutput = QStringLiteral("Store messages:");
    t.btRefresh = QStringLiteral("Refresh");
    t.spExecOne = QStringLiteral("Execute Current Script");
    t.spExecAllScript = QStringLiteral("Execute All");
    t.btStop = QStringLiteral("&Stop");
    t.cbStopOnError = QStringLiteral("Break on error");
    t.cbThread = QStringLiteral("Thread");
    t.cbMess = QStringLiteral("Mess");
    t.sbNeizvedeno = QStringLiteral("Set status \"NOT EXECUTED\" on choosen scripts");
    t.spDelete = QStringLiteral("Set status to deleted");
    t.spDeleteAll = QStringLiteral("Delete choosen scripts(permanet)");
    t.btCommit = QStringLiteral("&Commit");
    t.btRollback = QStringLiteral("&Rollback");
    t.laCurrent = QStringLiteral("Current :");
    t.laErrors = QStringLiteral("Errors:");
    t.laScriptNumber = QStringLiteral("Script number:");
    t.laToExecute = QStringLiteral("To execute:");
    t.laFindScript = QStringLiteral("Filter for script name:");
    t.btFind = QStringLiteral("&Refresh");
    t.laFindCont = QStringLiteral("Statement:");
    t.laFindErr = QStringLiteral("Error:");
    t.laStatScript = QStringLiteral("Filter for script name:");
    t.cbStatNotExecuted = QStringLiteral("Scripts with Not Executed");
    t.cbStatErrors = QStringLiteral("Script with Errors");
    t.cbStatDeleted = QStringLiteral("Script with Deleted");
    t.btStatRefresh = QStringLiteral("&Refresh");
    t.btShowScript = QStringLiteral("Show script");
    t.laDeleteMore = QStringLiteral("Delete scripts");
    t.btDelete = QStringLiteral("DELETE CHOSEN SCRIPTS");
    return t;
}

void slovenian(ScriptTexts& t, const QString& nizStop, const QString& nizCommit, const QString& nizRollback)
{
    t.caption = QStringLiteral("IZVAJANJE SKRIPT");
    t.nizErrorAdd = QStringLiteral("NAPAKA PRI DODAJANJU SKRIPTE   Številka:");
    t.nizEnterScript = QStringLiteral("VNESI AKTIVNO SKRIPTO");
    t.nizNotEmpty = QStringLiteral("SKRIPTA NI PRAZNA :");
    t.nizRecords = QStringLiteral("ZAPISOV");
    t.nizDeletePermanent = QStringLiteral("BRISANJE (DOKONČNO)?");
    t.nizExecutedOk = QStringLiteral("USPEŠNO IZVEDENE SKRIPTE");
    t.nizExecutedNok = QStringLiteral("NEUSPEŠNO IZVEDENE SKRIPTE");
    t.nizOneOk = QStringLiteral("USPEŠNO IZVEDENA SKRIPTA");
    t.nizOneNok = QStringLiteral("NEUSPEŠNO IZVEDENA SKRIPTA");
    t.nizResetQuestion = QStringLiteral("SPREMENI STATUS NA NEIZVRŠENO?");
    t.nizNoChosen = QStringLiteral("NI IZBRANIH SKRIPT !");
    t.nizDeleteChosen = QStringLiteral("BRISANJE IZBRANIH SKRIPT");
    t.nizAll = QStringLiteral("VSI");
    t.nizNoFile = QStringLiteral("Definiraj datoteko!");
    t.nizDoesntExist = QStringLiteral(" NE OBSTAJA !");
    t.nizNothingStored = QStringLiteral("NIČ OD SKRIPTE NI SHRANJENO");
    t.nizUnterminated = QStringLiteral("UKAZ OD VRSTICE %1 NIMA ZAKLJUČNE VRSTICE \"/\"");
    t.nizNoEndif = QStringLiteral("POGOJ OD VRSTICE %1 NIMA #ENDIF");
    t.nizConditionFailed = QStringLiteral("Vrstica %1: poizvedba pogoja ni uspela, pogoj ni izpolnjen: %2");
    t.nizStored = QStringLiteral("%1: shranjenih ukazov: %2");
    t.nizFileMissing = QStringLiteral("Datoteke skripte ni: %1");
    t.nizUnknown = QStringLiteral("NEZNANO");
    t.nizResetPending = QStringLiteral("%1: statusi ponastavljeni, še ne potrjeni");
    t.nizEmptyHint = QStringLiteral("Odprite skripto iz datoteke in jo shranite v tabelo, ali izberite shranjeno "
                                    "skripto in jo izvedite.");
    t.typeEntries = { QStringLiteral("N - NEIZVRŠENI"), QStringLiteral("X - IZVRŠENI"), QStringLiteral("D - BRISANI"),
        QStringLiteral("E - NAPAKE"), QStringLiteral("A - VSI") };
    t.statTitles = { QStringLiteral("Skripta"), QStringLiteral("Uporabnik"), QStringLiteral("Datum"),
        QStringLiteral("OK"), QStringLiteral("Neizvedene"), QStringLiteral("Napake"), QStringLiteral("Brisane") };
    t.tbOpenF = QStringLiteral("Odpri datoteko");
    t.tbRun = QStringLiteral("Izvedi");
    t.tbSearch = QStringLiteral("Iskanje");
    t.tbStat = QStringLiteral("Statistika");
    t.tbLargeRB = QStringLiteral("Velik RB ONLINE");
    t.tbErrors = QStringLiteral("Napake");
    t.tbDeleteMore = QStringLiteral("Brisanje skript");
    t.tbExit = QStringLiteral("Izhod");
    t.laAllScripts = QStringLiteral("Aktivna skripta:");
    t.laType = QStringLiteral(" Tip:");
    t.laNapaka = QStringLiteral("Flt/Napaka");
    t.laFilter = QStringLiteral("Besedilo:");
    t.spFltScript = QStringLiteral("Osveži");
    t.spFltScriptHint = QStringLiteral("Filter na skripte");
    t.edNapakaHint = QStringLiteral("Filter na napake");
    t.cbAllScriptsHint = QStringLiteral("Delete - brisanje izbrane skripte");
    t.laLastVer = QStringLiteral("Zadnja verzija:");
    t.laDir = QStringLiteral("Imenik:");
    t.laSkripta = QStringLiteral("Skripta:");
    t.btScriptPut = QStringLiteral("Shrani v tabelo");
    t.btSaveScript = QStringLiteral("Shrani skripto");
    t.laOutput = QStringLiteral("Sporočila shranjevanja:");
    t.btRefresh = QStringLiteral("Osveži");
    t.spExecOne = QStringLiteral("Izvedi trenutno skripto");
    t.spExecAllScript = QStringLiteral("Izvedi vse skripte");
    if (!nizStop.isEmpty())
        t.btStop = nizStop;
    t.cbStopOnError = QStringLiteral("Stop na nap.");
    t.cbThread = QStringLiteral("ozadje");
    t.cbMess = QStringLiteral("Spor");
    t.sbNeizvedeno = QStringLiteral("Postavi status neizvedeno na vseh izbranih skriptah");
    t.spDelete = QStringLiteral("Postavi status brisan na trenutni skripti");
    t.spDeleteAll = QStringLiteral("Postavi status brisan na vse izbranih skriptah");
    if (!nizCommit.isEmpty())
        t.btCommit = nizCommit;
    if (!nizRollback.isEmpty())
        t.btRollback = nizRollback;
    t.laCurrent = QStringLiteral("Trenutna");
    t.laErrors = QStringLiteral("Napaka");
    t.laScriptNumber = QStringLiteral("Številka skripte:");
    t.laToExecute = QStringLiteral("Za izvedbo:");
    t.laFindScript = QStringLiteral("Filter za ime skripte:");
    t.btFind = QStringLiteral("&Osveži");
    t.laFindCont = QStringLiteral("Ukaz:");
    t.laFindErr = QStringLiteral("Napaka:");
    t.laStatScript = QStringLiteral("Filter za ime skripte:");
    t.cbStatNotExecuted = QStringLiteral("Skripte z neizvršenimi ukazi");
    t.cbStatErrors = QStringLiteral("Skripte z ukazi z napakami");
    t.cbStatDeleted = QStringLiteral("Skripte z brisanimi ukazi");
    t.btStatRefresh = QStringLiteral("&Osveži");
    t.btShowScript = QStringLiteral("Prikaži skripto");
    t.laDeleteMore = QStringLiteral("Brisanje skript");
    t.btDelete = QStringLiteral("BRISANJE IZBRANIH SKRIPT");
}

} // namespace

ScriptTexts scriptTexts(const QString& language, const QString& nizStop, const QString& nizCommit, const QString& nizRollback)
{
    ScriptTexts t = english();
    if (language == QLatin1String("SLO"))
        slovenian(t, nizStop, nizCommit, nizRollback);
    return t;
}

} // namespace deploy
