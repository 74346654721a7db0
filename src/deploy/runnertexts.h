// The messages of unattended runs. Nobody reads a message box in such a run, so every message goes to standard error
// (and, for failures, to the error file): in English, or in Slovenian followed by the English text when the run's
// language is "SLO", so that a log read by anyone still says what happened.
#pragma once

#include <QString>
#include <QStringList>

namespace deploy {

struct RunnerText {
    const char* en;
    const char* sl;
};

// The text with %1, %2, ... filled in: English; for "SLO" the Slovenian text, " / " and the English one.
QString runnerText(const RunnerText& text, const QString& language, const QStringList& args = {});

namespace runnertext {

inline constexpr RunnerText unknownCommand { "Line %1: %2 is no command of the command language.",
    "Vrstica %1: %2 ni ukaz ukaznega jezika." };
inline constexpr RunnerText leadingBlank { "Line %1 begins with a blank, so it has no command word.",
    "Vrstica %1 se začne s presledkom, zato nima ukaza." };
inline constexpr RunnerText notAvailable { "Line %1: %2 is not available in this version of the program.",
    "Vrstica %1: ukaz %2 v tej različici programa ni na voljo." };
inline constexpr RunnerText notInSeveralInstallations {
    "Line %1: %2 has no effect in the several-installations mode.",
    "Vrstica %1: ukaz %2 pri izvajanju za več instalacij nima učinka." };
inline constexpr RunnerText commandFailed { "Line %1: %2 failed: %3", "Vrstica %1: ukaz %2 ni uspel: %3" };
inline constexpr RunnerText logonFailed { "Could not log on to %1 as %2; the commands for it are not run.",
    "Prijava na %1 kot %2 ni uspela; ukazi zanjo se ne izvedejo." };
inline constexpr RunnerText connectFailed { "Line %1: CONNECT could not log on to %2 as %3; the rest of the list is "
                                            "skipped.",
    "Vrstica %1: CONNECT se ni mogel prijaviti na %2 kot %3; preostanek seznama se ne izvede." };
inline constexpr RunnerText auditHostMissing {
    "Line %1: CONNECT ... VEXOAUDT: the audit database is not set up (VOXA's database link VEXOAUDT and an audit "
    "link in VOXA.AUDIT_PARAMS are both needed)%2; the run ends.",
    "Vrstica %1: CONNECT ... VEXOAUDT: revizijska baza ni nastavljena (potrebna sta povezava VEXOAUDT uporabnika "
    "VOXA in povezava v VOXA.AUDIT_PARAMS)%2; izvajanje se konča." };
inline constexpr RunnerText lastVersionMissing {
    "Line %1: none of the scripts %2 has been executed; the rest of the list is skipped.",
    "Vrstica %1: nobena od skript %2 ni bila izvedena; preostanek seznama se ne izvede." };
inline constexpr RunnerText lastVersionEmpty { "Line %1: LASTVERSIONCHECK names no script.",
    "Vrstica %1: LASTVERSIONCHECK ne navaja nobene skripte." };
inline constexpr RunnerText lastVersionQueryFailed { "Line %1: LASTVERSIONCHECK could not read the script table: %2",
    "Vrstica %1: LASTVERSIONCHECK ni mogel brati tabele skript: %2" };
inline constexpr RunnerText importFailed { "Line %1: NAPAČEN LOAD UKAZ: %2", "Vrstica %1: NAPAČEN LOAD UKAZ: %2" };
inline constexpr RunnerText importNotStarted { "Line %1: IMPORT: %2", "Vrstica %1: IMPORT: %2" };
inline constexpr RunnerText restrictedSessionsLeft { "Line %1: %2\n%3The rest of the list is skipped.",
    "Vrstica %1: %2\n%3Preostanek seznama se ne izvede." };
inline constexpr RunnerText restrictedRestored {
    "Restricted session that the run enabled is disabled again, because the rest of the list did not run or failed.",
    "Omejena prijava, ki jo je vključilo izvajanje, je spet izključena, ker se preostanek seznama ni izvedel ali ni "
    "uspel." };
inline constexpr RunnerText largeRBNotReset { "The large rollback segment could not be switched off again.",
    "Velikega rollback segmenta ni bilo mogoče spet izključiti." };
inline constexpr RunnerText versionNotPassed { "Line %1: the version check of %2 did not pass; the file stays.",
    "Vrstica %1: preverjanje verzij %2 ni uspelo; datoteka ostane." };
inline constexpr RunnerText versionNotRenamed { "Line %1: the version file %2 could not be renamed to %3.",
    "Vrstica %1: datoteke verzij %2 ni bilo mogoče preimenovati v %3." };
inline constexpr RunnerText invalidObjectsLeft { "Line %1: invalid objects of %2 remain after the recompilation.",
    "Vrstica %1: po prevajanju ostajajo neveljavni objekti uporabnika %2." };
inline constexpr RunnerText scriptStoredBefore { "Line %1: the script %2 is stored for %3 already; it is not run again.",
    "Vrstica %1: skripta %2 je za %3 že shranjena; ne izvede se ponovno." };
inline constexpr RunnerText scriptCountFailed { "Line %1: the script table could not be read: %2",
    "Vrstica %1: tabele skript ni bilo mogoče brati: %2" };
inline constexpr RunnerText instanceListTooLong { "%1 lists %2 databases; at most %3 are allowed. Nothing was run.",
    "%1 navaja %2 baz; dovoljenih je največ %3. Nič se ni izvedlo." };
inline constexpr RunnerText instanceListUnreadable { "%1 cannot be read: %2. Nothing was run.",
    "%1 ni mogoče prebrati: %2. Nič se ni izvedlo." };
inline constexpr RunnerText installationsUnreadable { "The installations could not be read: %1",
    "Instalacij ni bilo mogoče prebrati: %1" };
inline constexpr RunnerText statusNotSaved { "The status of installation %1 could not be saved: %2",
    "Statusa instalacije %1 ni bilo mogoče shraniti: %2" };
inline constexpr RunnerText originalLogonFailed { "Could not log on again as %1 on %2 after the installations.",
    "Po instalacijah ponovna prijava kot %1 na %2 ni uspela." };
inline constexpr RunnerText errorFileNotWritten { "The error file %1 could not be written: %2",
    "Datoteke z napakami %1 ni bilo mogoče zapisati: %2" };
inline constexpr RunnerText severalWithoutMark {
    "The file vecInstalacij could not be read: the command file runs once, not once per installation.",
    "Datoteke vecInstalacij ni bilo mogoče prebrati: ukazna datoteka se izvede enkrat, ne za vsako instalacijo." };

} // namespace runnertext

} // namespace deploy
