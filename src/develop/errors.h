// TfmErrors: the object-status window. It lists one owner's stored PL/SQL objects and views (the invalid ones in
// their compile order, or all with their status and last change) or the compile errors the dictionary holds for
// the owner, recompiles one object or all listed ones, and drops an object. The command runner drives it unattended
// through izvediErrors.
#pragma once

#include "develop/objectstatus.h"

#include <QPointer>
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QToolButton;
class TThemedDBGrid;
class TfmMain;

namespace db {
class DataSet;
class Session;
} // namespace db

class TfmErrors : public QWidget {
    Q_OBJECT
public:
    explicit TfmErrors(TfmMain* main, QWidget* parent = nullptr);
    ~TfmErrors() override;

    // --- public members the runner and other windows use ---
    QLineEdit* edOwner = nullptr;
    db::DataSet* quInvalid = nullptr;
    void tbInvalidClick();
    void tbCompileAllClick();

    void tbSPClick();
    void tbErrorsClick();
    void tbCompileClick();
    void btRefreshClick();
    void btDropObjectClick();
    void setTexts();

    // The objects of the list as read when it was opened.
    QVector<develop::ListedObject> listedObjects() const;
    int listedCount() const;

    // Set by the runner: nothing waits for a person; messages go to the error output.
    bool pAuto = false;

    TfmMain* mainWindow = nullptr;
    db::Session* osOracle = nullptr;
    QString currAction;
    bool lNapaka = false;
    QString nizInvalid, nizState, nizErrors, nizErrDrop, nizDroped, nizDropAsk, nizCompileAsk;
    QString sCaption;

    // --- controls ---
    QToolButton* tbInvalid = nullptr;
    QToolButton* tbSP = nullptr;
    QToolButton* tbErrors = nullptr;
    QToolButton* tbCompile = nullptr;
    QToolButton* tbCompileAll = nullptr;
    QToolButton* tbExit = nullptr;
    QLabel* laOwner = nullptr;
    QCheckBox* cbPrekini = nullptr;
    QStackedWidget* pcPages = nullptr;
    QWidget* tsList = nullptr;
    TThemedDBGrid* dbgInvalid = nullptr;
    QWidget* paRight = nullptr;
    QGroupBox* rgOrder = nullptr;
    QRadioButton* rbType = nullptr;
    QRadioButton* rbName = nullptr;
    QRadioButton* rbLastModification = nullptr;
    QLabel* laSearch = nullptr;
    QLineEdit* edSearch = nullptr;
    QCheckBox* cbInvalid = nullptr;
    QPushButton* btRefresh = nullptr;
    QPushButton* btDropObject = nullptr;
    QWidget* tsErrors = nullptr;
    TThemedDBGrid* dbgErrors = nullptr;
    db::DataSet* quErrors = nullptr;
    QPlainTextEdit* meErrorText = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void FormCreate();
    QString orderOfStatusView() const;
    void openList(const QString& orderBy, const QString& stat, const QString& ime);
    void reopenOrdered();
    void fitColumns(TThemedDBGrid* grid, db::DataSet* dataSet);
    develop::ListedObject currentObject() const;
    // Compiles the current object of the list; lNapaka tells whether it stayed invalid.
    void compileCurrent(const develop::ListedObject& object);
    bool confirmDdl(const QString& action);
    void message(const QString& text);
    bool quiet() const;
    bool atWork = false;
    bool closeAfterWork = false;
    // The variables of the list as last opened.
    QString listOwner;
    QString listStat;
    QString listIme;
};

// The window most recently opened, as the runner and the other windows find it.
extern QPointer<TfmErrors> fmErrors;

namespace develop {

// Makes and shows a new object-status window into fmErrors.
TfmErrors* openErrorsWindow(TfmMain& main);

// The runner's ERRORS command: opens the window through the main window's Errors button, sets its owner (the
// connected user when p1 is empty or AUDIT), lists the invalid objects and recompiles them in three rounds, then
// checks the list up to ten times. An empty list closes the window and returns true; otherwise the window stays open
// and it returns false (the run must not close the program).
bool izvediErrors(TfmMain& main, const QString& p1);

} // namespace develop
