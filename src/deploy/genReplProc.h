// TfmGenReplProc: the key-replacement generator. From a table's primary key it proposes the columns that can hold
// the key, keeps the user's exclusions and additions per table in a list file, and writes the PL/SQL block that
// replaces one key value by another in every listed column. The window changes nothing in the database.
#pragma once

#include "deploy/replacelist.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class QLabel;
class TfmMain;

class TfmGenReplProc : public QWidget {
    Q_OBJECT
public:
    explicit TfmGenReplProc(TfmMain* main, QWidget* parent = nullptr);

    // The directory of the list and block files (the program's working directory).
    QString workDir;

    // --- the lists ---
    deploy::ReplaceLists izbor; // exclusions (aIzbMinus) and forced additions (aIzbPlus)
    QList<deploy::ReplaceColumn> aIzbvse; // the current list shown in the grid
    QList<deploy::ReplaceKeyColumn> key; // the key's columns as readPrimaryKey found them

    // --- actions ---
    void readPrimaryKey();
    void edTabelaChange();
    void edTabelaExit(); // leaving the table field: the key and the list file
    void btRefreshClick(); // the candidates
    void spDeleteClick();
    void spInsertClick();
    void spSaveInsertClick();
    void spSaveClick();
    void btDodatClick(); // similar columns
    void spPrenosClick(); // transfer the checked ones
    bool btPripraviProcClick(); // the block file
    QString listFileName() const;
    QString blockFileName() const;

    QLineEdit* edLastnik = nullptr;
    QLineEdit* edTabela = nullptr;
    QLineEdit* edLastniki = nullptr;
    QLineEdit* edPolje = nullptr;
    QLineEdit* edPK = nullptr;
    QLineEdit* edType = nullptr;
    QLineEdit* edLength = nullptr;
    QLineEdit* edOldNiz = nullptr;
    QLineEdit* edNewNiz = nullptr;
    QLineEdit* edFilter = nullptr;
    QPushButton* btRefresh = nullptr;
    QPushButton* spDelete = nullptr;
    QPushButton* spInsert = nullptr;
    QPushButton* spSaveInsert = nullptr;
    QPushButton* spSave = nullptr;
    QPushButton* btDodat = nullptr;
    QPushButton* spPrenos = nullptr;
    QPushButton* btPripraviProc = nullptr;
    QPushButton* btExit = nullptr;
    QListWidget* cbDodatno = nullptr;
    QTableWidget* sgTab = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void setLanguageTexts();
    void showList();
    void message(const QString& text);
    QList<deploy::ReplaceCandidate> candidates(const QString& sql, const QList<QPair<QString, QString>>& binds);

    TfmMain* fm;
    QList<QLabel*> labels;
    bool keyFromDictionary = false; // key holds what readPrimaryKey read (not typed fields)
};
