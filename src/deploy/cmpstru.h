// TfmCmpStru: the structure compare window. It has the structure package dump an owner's objects into a structure
// file, loads a reference and a current dump, lists their differences and saves them as a difference file headed by
// the installation's organisation data. The COMPARE command runs the same sequence unattended (pAuto).
#pragma once

#include "deploy/structcompare.h"

#include <QMainWindow>
#include <QStringList>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTableWidget;
class QTimer;
class QToolButton;
class TfmMain;

namespace shell {
class SqlEditor;
}

class TfmCmpStru : public QMainWindow {
    Q_OBJECT
public:
    explicit TfmCmpStru(TfmMain* main, QWidget* parent = nullptr);

    // --- unattended (set by the COMMAND runner before the window is shown) ---
    bool pAuto = false;
    QString pShraniDir; // the difference file
    // Where an unattended run writes the line of a failure (the runner's error file); none when empty.
    QString pErrorFile;
    // --- results ---
    bool pNapake = false; // the last comparison found differences
    bool pFailed = false; // the unattended sequence stopped at an error
    QString pFailText; // and why
    QList<deploy::StructDifference> bError; // the differences of the last comparison
    int stNapak() const { return static_cast<int>(bError.size()); }

    // --- actions ---
    void showPage(QWidget* page, const QString& kind);
    void btCreateScriptClick(); // dump
    bool spSaveClick(); // save the dump
    bool loadSource(); // load the reference file (edfSource)
    bool loadDest(); // load the current file (edfDest)
    void btCompareClick();
    bool btSaveDiffClick();
    void tiStartTimer(); // the unattended sequence

    // Translatable texts.
    QString nizCrSrc, nizSrc, nizDest, nizEmpSrc, nizEmpDest, nizCr, nizPrep, nizCmp, nizNeObstaja, nizNiEnako,
        nizNiNapak, nizToMuch;

    // --- layout ---
    QAction* mmCreate = nullptr;
    QAction* mmShowOriginal = nullptr;
    QAction* mmShowCurrent = nullptr;
    QAction* mmCompare = nullptr;
    QAction* mmExit = nullptr;
    QToolButton* spCreate = nullptr;
    QToolButton* spCompare = nullptr;
    QToolButton* spOpen = nullptr;
    QToolButton* spDest = nullptr;
    QLabel* laKind = nullptr;
    QStackedWidget* pcMain = nullptr;
    QWidget* tabCreate = nullptr;
    QWidget* tabSource = nullptr;
    QWidget* tabDest = nullptr;
    QWidget* tabCompare = nullptr;
    QLineEdit* edUser = nullptr;
    QLineEdit* edName = nullptr;
    QComboBox* cbType = nullptr;
    QPushButton* btCreateScript = nullptr;
    QPushButton* spSave = nullptr;
    QLabel* laStatus = nullptr;
    QPlainTextEdit* meTemp = nullptr;
    QLineEdit* edFileSource = nullptr;
    QPushButton* btSourceSearch = nullptr;
    shell::SqlEditor* meSource = nullptr;
    QLineEdit* edFileDest = nullptr;
    QPushButton* btDestSearch = nullptr;
    shell::SqlEditor* meDest = nullptr;
    QLineEdit* edfSource = nullptr;
    QPushButton* btSource = nullptr;
    QLineEdit* edfDest = nullptr;
    QPushButton* btDest = nullptr;
    QPushButton* btCompare = nullptr;
    QPushButton* btSaveDiff = nullptr;
    QTableWidget* sgError = nullptr;
    QPlainTextEdit* meError = nullptr;
    QTimer* tiStart = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void setLanguageTexts();
    void message(const QString& text);
    void fail(const QString& text);
    bool loadFile(bool reference);
    QString chooseFile(bool save, const QString& filter, const QString& suffix);
    QStringList header();

    TfmMain* fm;
    QString fullSource, fullDest; // the paths behind edfSource and edfDest (they show file names only)
    QList<QLabel*> labels;
    bool started = false;
};
