// TfmTableStru: the table-structure window. It lists an owner's tables (or columns) by a pattern, keeps favourite
// tables with their chosen columns and data filter, and shows the current table on tab pages: columns, indexes,
// constraints, triggers, the views that mention it, its reference and dependency trees, its data in an editable
// grid, and scripts that disable and re-enable the foreign keys pointing at it. With a database link chosen the lists
// and the Columns, Indexes, Triggers and data pages read the remote dictionary. The logic lives in structuretabs.h,
// reftree.h, dataquery.h, constraintscript.h and favourites.h; the window puts it on screen.
#pragma once

#include "admin/favourites.h"

#include <QHash>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TThemedDBGrid;
class TfmMain;

namespace db {
class DataSet;
}
namespace develop {
class DataAwareMemo;
class DataSetNavigator;
} // namespace develop

class TfmTableStru : public QWidget {
    Q_OBJECT
public:
    explicit TfmTableStru(TfmMain& main, QWidget* parent = nullptr);
    ~TfmTableStru() override;

    // --- creation, lists, link mode and favourites (tabStru.cpp)
    void FormCreate();
    void setLanguageTexts();
    void ClearTabCaches();
    void btStruClick();
    void cbColClick();
    void cbDBLinkChange();
    void SpeedButton1Click();
    void LoadSelection();
    bool SaveSelection();
    void spInsertClick();
    void spDeleteClick();
    void tvSelectedClick(QTreeWidgetItem* item);
    // Makes owner.table the current table (the favourites' click and the lists' moves end here).
    void takeTable(const QString& owner, const QString& table);
    QString link() const;
    // The favourite entry selected in the tree (its top-level item), nullptr when none.
    QTreeWidgetItem* selectedFavourite() const;
    // The selected favourite when its table and owner are the current ones.
    QTreeWidgetItem* currentFavourite() const;
    QList<admin::Favourite> favourites() const;

    // --- structure tabs and actions (tabStru_tabs.cpp)
    void pcTableChange();
    void LoadColumnGrid(const QString& order);
    void LoadIndexGrid();
    void LoadConstraintGrid();
    void LoadTriggers();
    void LoadViews();
    void LoadReferences();
    void LoadDependencies();
    void storeColumnMarks();
    void toggleMark(int row);
    void spUpdateClick();
    // DDL of the structure actions: asks about other windows' pending work first; true when it ran.
    bool execDyn(const QString& statement, const QString& action);
    void dropIndex();
    void dropConstraint();
    void enableDisableConstraint();
    void alterTrigger(const QString& what);

    // --- data page and constraint scripts (tabStru_data.cpp)
    void BuildDataQuery();
    void btWhereClick();
    void dataTitleClick(int column);
    void btCommitClick();
    void btRollbackClick();
    bool hasPendingData() const;
    void cbDropClick();
    void btPrepareClick();
    void btDisableClick();
    void btEnableClick();

    // --- state
    QString currOwner;
    QString currTableName;
    // Tab caches: the owner, table and link each tab was last loaded for (admin::tabKey).
    QString ctTabCol, ctIndexes, ctConstraints, ctTriggers, ctViews, ctReferences, ctDependencies, ctData;
    bool p_viewAll = false;
    QString statTastGrCol;
    int svHeightCelMemo = 89;
    QHash<QString, QString> linkUsers; // the user of each database link, by link name
    QString undoFile; // the undo file of the last prepared script
    QString nizSucc, nizUnSucc, nizDrop, nizCreate, nizDisable, nizEnable, nizBack;

    // --- controls
    QLabel* laUser = nullptr;
    QComboBox* cbUser = nullptr;
    QLabel* laTabela = nullptr;
    QLineEdit* edTabela = nullptr;
    QCheckBox* cbCol = nullptr;
    QLabel* laKolona = nullptr;
    QLineEdit* edKolona = nullptr;
    QToolButton* btStru = nullptr;
    QLabel* laDBLink = nullptr;
    QComboBox* cbDBLink = nullptr;
    QPushButton* btRefresh = nullptr;
    QPushButton* btExit = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* spUpdate = nullptr;
    QLabel* laCurrTable = nullptr;

    QWidget* paSelected = nullptr;
    QLabel* laSelection = nullptr;
    QTreeWidget* tvSelected = nullptr;
    QPushButton* btSaveSelected = nullptr;
    QToolButton* spDelete = nullptr;
    QToolButton* spInsert = nullptr;

    QTabWidget* pcTable = nullptr;
    QWidget* tabTables = nullptr;
    QWidget* tabColumns = nullptr;
    QWidget* tabIndexes = nullptr;
    QWidget* tabConstraints = nullptr;
    QWidget* tabTriggers = nullptr;
    QWidget* tabViews = nullptr;
    QWidget* tabReferences = nullptr;
    QWidget* tabDependencies = nullptr;
    QWidget* tabData = nullptr;
    QWidget* tabEnableDisable = nullptr;

    TThemedDBGrid* dbgTables = nullptr;
    TThemedDBGrid* dbgKolone = nullptr;
    QPlainTextEdit* meDefault = nullptr;
    QWidget* paKolone = nullptr;
    QComboBox* cbColOrder = nullptr;
    QLabel* laSort = nullptr;
    QTableWidget* sgColumns = nullptr;
    QTableWidget* sgIndex = nullptr;
    QTableWidget* sgConstraint = nullptr;
    TThemedDBGrid* dbgTrigg = nullptr;
    QPlainTextEdit* meTrigger = nullptr;
    QCheckBox* cbMaterlaizedView = nullptr;
    TThemedDBGrid* dbgViews = nullptr;
    QPlainTextEdit* meView = nullptr;
    QTreeWidget* tvReferences = nullptr;
    QTreeWidget* tvDependencies = nullptr;
    QLabel* laFilter = nullptr;
    QLineEdit* edFilter = nullptr;
    QToolButton* btWhere = nullptr;
    develop::DataSetNavigator* navData = nullptr;
    QPushButton* btPost = nullptr;
    QPushButton* btCancelEdit = nullptr;
    QPushButton* btCommit = nullptr;
    QPushButton* btRollback = nullptr;
    TThemedDBGrid* dbgData = nullptr;
    QPlainTextEdit* dbCelMemo = nullptr;
    QCheckBox* cbDrop = nullptr;
    QPushButton* btPrepare = nullptr;
    QPushButton* btDisable = nullptr;
    QPushButton* btEnable = nullptr;
    QPlainTextEdit* meBrisi = nullptr;
    QPlainTextEdit* meNazaj = nullptr;
    QMenu* pmIndex = nullptr;
    QMenu* pmConstraint = nullptr;
    QMenu* pmTrigger = nullptr;

    db::DataSet* quTables = nullptr;
    db::DataSet* quColumns = nullptr;
    db::DataSet* quTrigg = nullptr;
    db::DataSet* quViews = nullptr;
    db::DataSet* quMViews = nullptr;
    db::DataSet* quData = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void buildTablesPage();
    void buildStructurePages();
    void buildDataPage();
    void buildScriptPage();
    void tableRowChanged();
    void columnRowChanged();
    void tableClicked();
    void showTableName();
    void applyFilter();
    void updateDataButtons();
    void showError(const QString& text);
    QString key() const;
    QString textOf(const char* english, const char* slovenian) const;
    void setColumnTitles();

    TfmMain& main;
    develop::DataAwareMemo* defaultMemo = nullptr;
    develop::DataAwareMemo* triggerMemo = nullptr;
    develop::DataAwareMemo* viewMemo = nullptr;
    develop::DataAwareMemo* cellMemo = nullptr;
    QString dataSelect; // the SELECT part of the data statement as last built
    QString viewsStatement;
    bool columnGridFocused = false;
    bool takingTable = false;
};
