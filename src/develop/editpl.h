// TfmEditPL: the PL/SQL editor. It edits a file of CREATE OR REPLACE statements separated by "/" lines, compiles
// them block by block on the main session with a list of the compile errors that takes the cursor to each, keeps a
// list of recent files, and offers templates, macros, a table browser and a second pane for another file. Any
// number may be open; each frees itself when closed.
#pragma once

#include "develop/plsqlcompile.h"
#include "develop/plsqlrecent.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTableView;
class QTableWidget;
class QToolButton;
class TfmMain;

namespace db {
class DataSet;
class Query;
class Session;
} // namespace db

namespace shell {
class SqlEditor;
}

namespace develop {
class MacroKeyFilter;
}

class TfmEditPL : public QWidget {
    Q_OBJECT
public:
    explicit TfmEditPL(TfmMain* main, QWidget* parent = nullptr);
    ~TfmEditPL() override;

    // Opens the windows of a table's constructors and references (owner, table, references): set by the module that
    // has them; without it the two buttons are off.
    static std::function<void(QWidget* parent, const QString& owner, const QString& table, bool references)>
        tableWindows;

    // --- compilation (the projects window calls spCompileClick after naloziFile) ---
    void spCompileClick();
    bool AutoCompile = false;
    // Shows error trenutnaNapaka + d (d is -1, 0 or +1).
    void showError(int d);
    void btCloseErrorScreenClick();

    // --- files ---
    // Loads the file into the editor; false, after the message neObstaja, when it does not exist (nothing changes).
    bool naloziFile(const QString& imeF);
    // Loads a file chosen in a dialog into the second pane; true when one was loaded.
    bool OpenFile();
    void spLoadClick();
    void spNewClick();
    void spSaveClick();
    // False when no file was chosen or it could not be written.
    bool spSaveAsClick();
    // The unsaved-changes question; false when the user cancelled (the action that asked does not go on).
    bool unsavedChangesTest();
    bool unchanged() const;
    void lbHistFileDblClick();
    void miHistFileDeleteClick();

    // --- writing aids ---
    void spFindEQClick();
    void popupMacroClick(int k);
    void spDataBaseClick();
    void spUtilBackClick();
    void btFindTplClick();
    void btNewClick();
    void btUpdateClick();
    void btSaveTemplateClick();
    void btCancelClick();
    void btCopyClick();
    void spInsertClick();
    void setTexts();

    // The run's window of the object status.
    void spErrorsClick();

    // --- state ---
    TfmMain* mainWindow = nullptr;
    db::Session* osOracle = nullptr;
    develop::CompileErrorList ListaNapak;
    int stNapak = 0;
    int trenutnaNapaka = 1;
    QString lastnik;
    QString CurrentFile;
    QString currFName;
    QStringList currCont; // the editor's lines as last loaded or saved
    develop::RecentFiles recent; // aDatoteke, iADatoteke
    int SirinaLeft = 480;
    int SirinaAll = 620;
    int pozicijaLeft = 0;
    QString sCaption; // the designed caption with user and server
    // The clock of the key macros, in milliseconds; a monotonic clock unless a test sets one.
    std::function<qint64()> macroClock;

    QString nizVTrans, nizNoActive, nizLine, nizFile, neObstaja, nizSaveChanges, nizTemplateGone, nizNotAvailable;

    // --- controls ---
    QWidget* paEdit = nullptr; // the editing part
    QWidget* paTop = nullptr;
    QToolButton* spLoad = nullptr;
    QToolButton* spNew = nullptr;
    QToolButton* spSave = nullptr;
    QToolButton* spSaveAs = nullptr;
    QToolButton* spCompile = nullptr;
    QToolButton* spErrors = nullptr;
    QToolButton* spDebug = nullptr;
    QCheckBox* cbTranslate = nullptr;
    QToolButton* spFindEQ = nullptr;
    QToolButton* spDataBase = nullptr;
    QToolButton* spExit = nullptr;
    QLineEdit* edStatus = nullptr;
    QWidget* paEditor = nullptr; // behind the editor: its caption shows while the editor is hidden
    QLabel* laHosting = nullptr;
    shell::SqlEditor* meEdit = nullptr;
    QListWidget* lbHistFile = nullptr;
    QMenu* pmHistFile = nullptr;
    QAction* miHistFileDelete = nullptr;
    QMenu* pmMacro = nullptr;
    QWidget* paErrors = nullptr;
    QLabel* laStErr = nullptr;
    QLabel* laAllErr = nullptr;
    QToolButton* spbNazaj = nullptr;
    QPushButton* btErrCodeNr = nullptr;
    QToolButton* spbNaprej = nullptr;
    QLabel* laError = nullptr;
    QPushButton* btCloseErrorScreen = nullptr;
    QPlainTextEdit* meError = nullptr;
    QLabel* sbLine = nullptr; // the editor's status bar: line, file
    QLabel* sbFile = nullptr;

    QWidget* paTools = nullptr;
    QToolButton* spUtilStructure = nullptr;
    QToolButton* spUtilTemplate = nullptr;
    QToolButton* spUtilFile = nullptr;
    QToolButton* spUtilBack = nullptr;
    QStackedWidget* pcTools = nullptr;
    QWidget* tsStructure = nullptr;
    QLabel* laUser = nullptr;
    QComboBox* lcbUsers = nullptr;
    QLabel* laTable = nullptr;
    QComboBox* lcbTables = nullptr;
    QTableWidget* sgColumns = nullptr;
    QToolButton* spInsert = nullptr;
    QPushButton* btConstraints = nullptr;
    QPushButton* btRef = nullptr;
    QWidget* tsTemplate = nullptr;
    QLabel* laTEmplate = nullptr;
    QLineEdit* edTemplate = nullptr;
    QToolButton* btFindTpl = nullptr;
    QTableView* dbgTemplate = nullptr;
    QLabel* laOpis = nullptr;
    QLineEdit* edDesc = nullptr;
    QPlainTextEdit* meTemplate = nullptr;
    QPushButton* btNew = nullptr;
    QPushButton* btUpdate = nullptr;
    QPushButton* btCopy = nullptr;
    QPushButton* btCancel = nullptr;
    QPushButton* btSaveTemplate = nullptr;
    QWidget* tsFile = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    shell::SqlEditor* meCompare = nullptr;
    QLabel* sbCompare = nullptr;
    QLabel* sbCompareLine = nullptr;

    db::Query* quGetTime = nullptr;
    db::Query* quDyn = nullptr;
    db::Query* quUsers = nullptr;
    db::Query* quTables = nullptr;
    db::DataSet* quTemplate = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void buildErrorPanel(QWidget* parent);
    void buildToolsPanel();
    void buildStructurePage();
    void buildTemplatePage();
    void buildFilePage();
    void FormCreate();
    void applyEditorFont(shell::SqlEditor* editor);
    void showErrorPanel(bool on);
    void showStatus(const QString& status);
    bool confirmCompile();
    bool debugDisplay(const develop::CompileBlock& block);
    void message(const QString& text);
    void updateEditorStatus();
    void fileLoaded(const QString& path);
    bool saveTo(const QString& path);
    QString recentFilesPath() const;
    void enterRecent(const QString& path);
    void showRecentList();
    void hideRecentList();
    void placeRecentList();
    void insertMacroText(const QString& text);
    void buildMacros();
    void showEditorPopup(const QPoint& pos);
    void openUsers();
    void fillTables();
    void fillColumns();
    void templateRowChanged();
    void templateBrowsing(bool browsing);
    QString chosenOwner() const;
    QString chosenTable() const;

    develop::MacroKeyFilter* macroKeys = nullptr;
    QElapsedTimer macroTimer;
    QFileDialog* openDialog(bool save);
    QString dialogDir;
    QString chosenTemplateKey; // the key of the template chosen in the grid
    bool templatePending = false; // a stored template waits in the main session's transaction
    bool compiling = false;
};

// Makes and shows a new PL/SQL editor, named "fmEditPL" and a number; it frees itself when closed.
TfmEditPL* openEditPL(TfmMain& main);
