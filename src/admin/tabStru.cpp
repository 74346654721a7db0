// The table-structure window: layout, creation, the owner and table lists, the database-link mode and the
// favourites panel. The tabs are in tabStru_tabs.cpp, the data and script pages in tabStru_data.cpp.
#include "admin/tabStru.h"

#include "admin/structuresql.h"
#include "admin/structuretabs.h"
#include "admin/windowsupport.h"
#include "db/dataset.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "develop/datamemo.h"
#include "platform/inifile.h"
#include "shell/Main.h"
#include "shell/gridutils.h"
#include "shell/pendingwork.h"
#include "shell/themedgrid.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TfmTableStru::TfmTableStru(TfmMain& mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , main(mainWindow)
{
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1080, 700);
    buildLayout();
    FormCreate();
    // The data page's edits are the window's pending work on the main session.
    shell::registerPendingWork(this, [this](const db::Session& session) {
        if (&session != main.osOracle || !hasPendingData())
            return QString();
        return windowTitle() + textOf(": changes not yet committed", ": nepotrjene spremembe");
    });
}

TfmTableStru::~TfmTableStru()
{
    shell::unregisterPendingWork(this);
}

QString TfmTableStru::textOf(const char* english, const char* slovenian) const
{
    return admin::slovenian(main) ? QString::fromUtf8(slovenian) : QString::fromUtf8(english);
}

void TfmTableStru::buildLayout()
{
    auto* top = new QHBoxLayout;
    laUser = admin::label(this, "laUser", QStringLiteral("Owner:"));
    cbUser = new QComboBox(this);
    cbUser->setObjectName(QStringLiteral("cbUser"));
    cbUser->setEditable(true);
    cbUser->setInsertPolicy(QComboBox::NoInsert);
    cbUser->setMinimumWidth(150);
    laTabela = admin::label(this, "laTabela", QStringLiteral("Table:"));
    edTabela = admin::edit(this, "edTabela", true);
    edTabela->setMaximumWidth(180);
    cbCol = new QCheckBox(QStringLiteral("Search columns"), this);
    cbCol->setObjectName(QStringLiteral("cbCol"));
    laKolona = admin::label(this, "laKolona", QStringLiteral("Column:"));
    edKolona = admin::edit(this, "edKolona", true);
    edKolona->setMaximumWidth(150);
    btStru = admin::toolButton(this, "btStru", QStringLiteral("."), QStringLiteral("Execute"));
    btStru->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    laDBLink = admin::label(this, "laDBLink", QStringLiteral("DB_link:"));
    cbDBLink = new QComboBox(this);
    cbDBLink->setObjectName(QStringLiteral("cbDBLink"));
    cbDBLink->setEditable(true);
    cbDBLink->setInsertPolicy(QComboBox::NoInsert);
    cbDBLink->setMinimumWidth(120);
    SpeedButton1 = admin::toolButton(this, "SpeedButton1", QString(), QStringLiteral("Selection ON/OFF"));
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    spUpdate = admin::toolButton(this, "spUpdate", QString(), QString());
    spUpdate->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    btRefresh = admin::button(this, "btRefresh", QStringLiteral("&Refresh"));
    btExit = admin::button(this, "btExit", QStringLiteral("E&xit"));
    top->addWidget(SpeedButton1);
    top->addWidget(laUser);
    top->addWidget(cbUser);
    top->addWidget(laTabela);
    top->addWidget(edTabela);
    top->addWidget(cbCol);
    top->addWidget(laKolona);
    top->addWidget(edKolona);
    top->addWidget(btStru);
    top->addSpacing(10);
    top->addWidget(laDBLink);
    top->addWidget(cbDBLink);
    top->addStretch();
    top->addWidget(spUpdate);
    top->addWidget(btRefresh);
    top->addWidget(btExit);

    laCurrTable = admin::label(this, "laCurrTable", QString());
    QFont bold = laCurrTable->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    laCurrTable->setFont(bold);

    paSelected = new QWidget(this);
    paSelected->setObjectName(QStringLiteral("paSelected"));
    auto* sel = new QVBoxLayout(paSelected);
    sel->setContentsMargins(0, 0, 0, 0);
    auto* selTop = new QHBoxLayout;
    laSelection = admin::label(paSelected, "laSelection", QStringLiteral("Selection"));
    spInsert = admin::toolButton(paSelected, "spInsert", QStringLiteral("+"), QString());
    spDelete = admin::toolButton(paSelected, "spDelete", QStringLiteral("-"), QString());
    spDelete->setEnabled(false);
    selTop->addWidget(laSelection);
    selTop->addStretch();
    selTop->addWidget(spInsert);
    selTop->addWidget(spDelete);
    tvSelected = new QTreeWidget(paSelected);
    tvSelected->setObjectName(QStringLiteral("tvSelected"));
    tvSelected->setHeaderHidden(true);
    tvSelected->setEditTriggers(QAbstractItemView::NoEditTriggers);
    btSaveSelected = admin::button(paSelected, "btSaveSelected", QStringLiteral("Save"));
    sel->addLayout(selTop);
    sel->addWidget(tvSelected, 1);
    sel->addWidget(btSaveSelected);

    pcTable = new QTabWidget(this);
    pcTable->setObjectName(QStringLiteral("pcTable"));
    buildTablesPage();
    buildStructurePages();
    buildDataPage();
    buildScriptPage();

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("spSelected"));
    split->addWidget(paSelected);
    split->addWidget(pcTable);
    split->setStretchFactor(1, 1);
    split->setSizes({ 210, 870 });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(laCurrTable);
    layout->addWidget(split, 1);

    connect(cbUser, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        const QString upper = text.toUpper();
        if (upper != text) {
            cbUser->setEditText(upper);
            return;
        }
    });
    cbUser->installEventFilter(this);
    connect(edTabela, &QLineEdit::returnPressed, this, &TfmTableStru::btStruClick);
    connect(edKolona, &QLineEdit::returnPressed, this, &TfmTableStru::btStruClick);
    edTabela->installEventFilter(this);
    connect(cbCol, &QCheckBox::toggled, this, &TfmTableStru::cbColClick);
    connect(btStru, &QToolButton::clicked, this, &TfmTableStru::btStruClick);
    connect(cbDBLink, &QComboBox::currentTextChanged, this, &TfmTableStru::cbDBLinkChange);
    connect(btRefresh, &QPushButton::clicked, this, [this] {
        ClearTabCaches();
        pcTableChange();
    });
    connect(btExit, &QPushButton::clicked, this, &QWidget::close);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfmTableStru::SpeedButton1Click);
    connect(spUpdate, &QToolButton::clicked, this, &TfmTableStru::spUpdateClick);
    connect(spInsert, &QToolButton::clicked, this, &TfmTableStru::spInsertClick);
    connect(spDelete, &QToolButton::clicked, this, &TfmTableStru::spDeleteClick);
    connect(btSaveSelected, &QPushButton::clicked, this, &TfmTableStru::SaveSelection);
    connect(tvSelected, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { tvSelectedClick(item); });
    connect(tvSelected, &QTreeWidget::currentItemChanged, this,
        [this](QTreeWidgetItem* item) { spDelete->setEnabled(item != nullptr); });
    connect(pcTable, &QTabWidget::currentChanged, this, [this] { pcTableChange(); });
}

void TfmTableStru::buildTablesPage()
{
    quTables = new db::DataSet(main.osOracle, this);
    quTables->setObjectName(QStringLiteral("quTables"));
    quTables->setReadOnly(true);
    quColumns = new db::DataSet(main.osOracle, this);
    quColumns->setObjectName(QStringLiteral("quColumns"));
    quColumns->setReadOnly(true);

    tabTables = new QWidget(pcTable);
    tabTables->setObjectName(QStringLiteral("tabTables"));
    auto* layout = new QVBoxLayout(tabTables);
    dbgTables = admin::dataGrid(tabTables, "dbgTables", quTables);
    paKolone = new QWidget(tabTables);
    paKolone->setObjectName(QStringLiteral("paKolone"));
    auto* kol = new QVBoxLayout(paKolone);
    kol->setContentsMargins(0, 0, 0, 0);
    auto* split = new QSplitter(Qt::Vertical, paKolone);
    dbgKolone = admin::dataGrid(split, "dbgKolone", quColumns);
    meDefault = new QPlainTextEdit(split);
    meDefault->setObjectName(QStringLiteral("meDefault"));
    meDefault->setMaximumHeight(80);
    defaultMemo = new develop::DataAwareMemo(meDefault, quColumns, this);
    kol->addWidget(split);
    layout->addWidget(dbgTables);
    layout->addWidget(paKolone);
    paKolone->setVisible(false);
    pcTable->addTab(tabTables, QStringLiteral("Tables"));

    connect(quTables, &db::DataSet::currentChanged, this, &TfmTableStru::tableRowChanged);
    connect(dbgTables, &QAbstractItemView::clicked, this, &TfmTableStru::tableClicked);
    connect(quColumns, &db::DataSet::currentChanged, this, &TfmTableStru::columnRowChanged);
    connect(quColumns, &db::DataSet::reset, this,
        [this] { defaultMemo->bind(quColumns->fieldIndex(QStringLiteral("DATA_DEFAULT"))); });
    connect(dbgKolone, &QAbstractItemView::doubleClicked, this, [this] {
        if (!quColumns->active() || quColumns->recordCount() == 0)
            return;
        auto* entry = new QTreeWidgetItem(tvSelected,
            { admin::favouriteText(quColumns->fieldValue(QStringLiteral("TABLE_NAME")).toString(), currOwner) });
        new QTreeWidgetItem(entry, { QString() });
        new QTreeWidgetItem(entry, { QString() });
        paSelected->setVisible(true);
    });
}

void TfmTableStru::FormCreate()
{
    setLanguageTexts();
    edTabela->setFocus();
    setWindowTitle(admin::captionWithLogon(main, windowTitle()));
    paSelected->setVisible(main.CurrStructureSelected == QLatin1String("D"));
    ClearTabCaches();
    statTastGrCol.clear();
    laCurrTable->clear();
    svHeightCelMemo = 89;
    cbColClick();
    pcTable->setCurrentWidget(tabTables);
    LoadSelection();
    try {
        cbUser->addItems(admin::ownerList(*main.osOracle));
    } catch (const db::OracleError& e) {
        showError(e.message());
    }
    cbUser->setEditText(main.currOwner.toUpper());
    currOwner = cbUser->currentText();
    // The view search function of the application, when it can be used; else the plain list of an owner's views.
    viewsStatement = QStringLiteral("select * from all_views\nwhere owner like :upor and (:tabela='*' or \n"
                                    "    VOXA.pckVexoMemo.instrAllViews(:upor,all_views.view_name,:tabela)>0 )");
    try {
        quViews->setSql(viewsStatement);
        quViews->setVariable(QStringLiteral("upor"), QStringLiteral("VOXA"));
        quViews->setVariable(QStringLiteral("tabela"), QStringLiteral("*"));
        quViews->open();
        p_viewAll = true;
    } catch (const db::OracleError&) {
        p_viewAll = false;
        viewsStatement = QStringLiteral("select * from all_views where owner like :upor");
        quViews->deleteVariables();
        quViews->setSql(viewsStatement);
    }
    quViews->close();
    try {
        db::Query links(main.osOracle);
        links.setSql(QStringLiteral("select db_link,userName from ALL_db_links order by db_link"));
        links.execute();
        cbDBLink->blockSignals(true);
        cbDBLink->addItem(QString());
        for (; !links.eof(); links.next()) {
            const QString name = links.field(0).toString();
            linkUsers.insert(name, links.field(1).toString());
            cbDBLink->addItem(name);
        }
        cbDBLink->setCurrentIndex(0);
        cbDBLink->blockSignals(false);
    } catch (const db::OracleError& e) {
        cbDBLink->blockSignals(false);
        showError(e.message());
    }
}

void TfmTableStru::setLanguageTexts()
{
    const bool slo = admin::slovenian(main);
    setWindowTitle(slo ? QStringLiteral("TABELE-strukture,podatki...") : QStringLiteral("Table structure"));
    laUser->setText(slo ? QStringLiteral("Upor.:") : QStringLiteral("Owner:"));
    laTabela->setText(slo ? QStringLiteral("Tabela:") : QStringLiteral("Table:"));
    laKolona->setText(slo ? QStringLiteral("Polje:") : QStringLiteral("Column:"));
    cbCol->setText(slo ? QStringLiteral("Iskanje kolon") : QStringLiteral("Search columns"));
    btRefresh->setText(slo ? main.nizRefresh : QStringLiteral("&Refresh"));
    btExit->setText(slo ? main.nizExit : QStringLiteral("E&xit"));
    btSaveSelected->setText(slo ? main.nizSave : QStringLiteral("Save"));
    if (btRefresh->text().isEmpty())
        btRefresh->setText(QStringLiteral("&Osveži"));
    if (btExit->text().isEmpty())
        btExit->setText(QStringLiteral("&Izhod"));
    if (btSaveSelected->text().isEmpty())
        btSaveSelected->setText(QStringLiteral("Shrani"));
    laSelection->setText(slo ? QStringLiteral("Izbira") : QStringLiteral("Selection"));
    const QList<QPair<QWidget*, QPair<const char*, const char*>>> pages { { tabTables, { "Tables", "Tabele" } },
        { tabColumns, { "Columns", "Struktura" } }, { tabConstraints, { "Constraints", "Konstrainti" } },
        { tabData, { "D A T A", "P O D A T K I" } }, { tabDependencies, { "Dependencies", "Odvisnosti" } },
        { tabEnableDisable, { "Enable/Disable", "Ukini/Dovoli" } }, { tabIndexes, { "Indexes", "Indeksi" } },
        { tabReferences, { "References", "Reference" } }, { tabTriggers, { "Triggers", "Trigerji" } } };
    for (const auto& [page, texts] : pages)
        pcTable->setTabText(pcTable->indexOf(page), QString::fromUtf8(slo ? texts.second : texts.first));
    setColumnTitles();
    nizDrop = slo ? QStringLiteral("Briši reference") : QStringLiteral("Drop References");
    nizCreate = slo ? QStringLiteral("Kreiraj reference") : QStringLiteral("Create References");
    nizDisable = slo ? QStringLiteral("Izklopi reference") : QStringLiteral("Disable References");
    nizEnable = slo ? QStringLiteral("Vklopi reference") : QStringLiteral("Enable References");
    nizBack = slo ? QStringLiteral("Skripta je shranjena v datoteko ") : QStringLiteral("Script is saved into ");
    nizSucc = slo ? QStringLiteral("USPEŠNO") : QStringLiteral("SUCCESFULL");
    nizUnSucc = slo ? QStringLiteral("NEUSPEŠNO") : QStringLiteral("UNSUCCESFULL");
    cbDrop->setText(slo ? QStringLiteral("Tip brisanja") : QStringLiteral("Drop option"));
    btPost->setText(slo ? QStringLiteral("Vpiši") : QStringLiteral("Post"));
    btCancelEdit->setText(slo ? QStringLiteral("Prekliči") : QStringLiteral("Cancel"));
    btCommit->setText(slo ? QStringLiteral("Potrdi") : QStringLiteral("Commit"));
    btRollback->setText(slo ? QStringLiteral("Razveljavi") : QStringLiteral("Rollback"));
    btPrepare->setText(slo ? QStringLiteral("Pripravi skripto") : QStringLiteral("Prepare Script"));
    cbDropClick();
}

void TfmTableStru::showError(const QString& text)
{
    admin::showMessage(this, main, text);
}

QString TfmTableStru::link() const
{
    return cbDBLink->currentText().trimmed();
}

QString TfmTableStru::key() const
{
    return admin::tabKey(currOwner, currTableName, link());
}

void TfmTableStru::ClearTabCaches()
{
    ctTabCol.clear();
    ctIndexes.clear();
    ctConstraints.clear();
    ctTriggers.clear();
    ctViews.clear();
    ctReferences.clear();
    ctDependencies.clear();
    ctData.clear();
}

void TfmTableStru::cbColClick()
{
    const bool on = cbCol->isChecked();
    edKolona->setEnabled(on);
    if (!on)
        edKolona->clear();
    paKolone->setVisible(on);
    dbgTables->setVisible(!on);
}

void TfmTableStru::btStruClick()
{
    pcTable->setCurrentWidget(tabTables);
    currOwner = cbUser->currentText().trimmed();
    quTables->close();
    quTables->setSql(admin::tablesStatement(link()));
    quTables->setVariable(QStringLiteral("upor"), currOwner + QLatin1Char('%'));
    quTables->setVariable(QStringLiteral("tabela"), edTabela->text().trimmed() + QLatin1Char('%'));
    try {
        quTables->open();
        admin::fitColumns(dbgTables, 45);
        if (cbCol->isChecked()) {
            quColumns->close();
            quColumns->setSql(admin::columnSearchStatement(link()));
            quColumns->setVariable(QStringLiteral("upor"), currOwner);
            quColumns->setVariable(QStringLiteral("tabela"), edTabela->text().trimmed() + QLatin1Char('%'));
            quColumns->setVariable(QStringLiteral("kolona"), edKolona->text().trimmed() + QLatin1Char('%'));
            quColumns->open();
            const int dflt = quColumns->fieldIndex(QStringLiteral("DATA_DEFAULT"));
            if (dflt >= 0)
                dbgKolone->setColumnHidden(dflt, true);
            admin::fitColumns(dbgKolone, 30);
        }
    } catch (const db::OracleError& e) {
        showError(e.message());
    }
    if (cbCol->isChecked())
        dbgKolone->setFocus();
    else
        dbgTables->setFocus();
}

void TfmTableStru::showTableName()
{
    laCurrTable->setText(currTableName.isEmpty() ? QString() : currOwner + QLatin1Char('.') + currTableName);
    btPrepare->setEnabled(!currTableName.isEmpty() && link().isEmpty());
}

void TfmTableStru::takeTable(const QString& owner, const QString& table)
{
    const QString before = key();
    currOwner = owner;
    currTableName = table;
    showTableName();
    if (key() != before) {
        meBrisi->clear();
        meNazaj->clear();
        btDisable->setEnabled(false);
    }
    if (ctTabCol != key()) {
        ctTabCol = key();
        LoadColumnGrid(QStringLiteral("Column_id"));
    }
    if (pcTable->currentWidget() != tabColumns)
        pcTableChange();
}

void TfmTableStru::tableRowChanged()
{
    if (takingTable || !quTables->active() || quTables->recordCount() == 0)
        return;
    takingTable = true;
    // A table taken from the list belongs to the owner of its row, whatever pattern the owner box holds.
    const QString owner = quTables->fieldValue(QStringLiteral("OWNER")).toString();
    edFilter->clear();
    takeTable(owner.isEmpty() ? cbUser->currentText().trimmed() : owner,
        quTables->fieldValue(QStringLiteral("TABLE_NAME")).toString());
    takingTable = false;
}

void TfmTableStru::tableClicked()
{
    if (!quTables->active() || quTables->recordCount() == 0)
        return;
    tableRowChanged();
    meBrisi->clear();
    meNazaj->clear();
    QCoreApplication::processEvents();
    setWindowTitle(admin::captionWithLogon(main, currTableName));
    pcTable->setCurrentWidget(tabData);
}

void TfmTableStru::columnRowChanged()
{
    if (!dbgKolone->hasFocus() || !quColumns->active() || quColumns->recordCount() == 0)
        return;
    const QString owner = quColumns->fieldValue(QStringLiteral("OWNER")).toString();
    currOwner = owner.isEmpty() ? currOwner : owner;
    currTableName = quColumns->fieldValue(QStringLiteral("TABLE_NAME")).toString();
    showTableName();
}

void TfmTableStru::cbDBLinkChange()
{
    const bool linked = !link().isEmpty();
    for (QWidget* page : { tabConstraints, tabDependencies, tabEnableDisable, tabReferences, tabViews })
        pcTable->setTabVisible(pcTable->indexOf(page), !linked);
    if (linked) {
        // The link's user owns what is read through it; a typed link name without an entry keeps the owner box.
        const auto user = linkUsers.find(link());
        if (user != linkUsers.end() && !user.value().isEmpty())
            cbUser->setEditText(user.value());
    } else {
        cbUser->setEditText(QString());
    }
    currOwner = cbUser->currentText().trimmed();
    ClearTabCaches();
    showTableName();
}

void TfmTableStru::SpeedButton1Click()
{
    const bool show = !paSelected->isVisible();
    paSelected->setVisible(show);
    main.CurrStructureSelected = show ? QStringLiteral("D") : QStringLiteral("N");
}

void TfmTableStru::LoadSelection()
{
    tvSelected->clear();
    platform::IniFile ini(main.settingsFile);
    for (const admin::Favourite& f : admin::LoadSelection(ini)) {
        auto* entry = new QTreeWidgetItem(tvSelected, { f.text });
        new QTreeWidgetItem(entry, { f.columns });
        new QTreeWidgetItem(entry, { f.filter });
    }
    tvSelected->expandAll();
}

QList<admin::Favourite> TfmTableStru::favourites() const
{
    QList<admin::Favourite> out;
    for (int i = 0; i < tvSelected->topLevelItemCount(); ++i) {
        QTreeWidgetItem* e = tvSelected->topLevelItem(i);
        out.append({ e->text(0), e->childCount() > 0 ? e->child(0)->text(0) : QString(),
            e->childCount() > 1 ? e->child(1)->text(0) : QString() });
    }
    return out;
}

bool TfmTableStru::SaveSelection()
{
    platform::IniFile ini(main.settingsFile);
    QString error;
    if (admin::SaveSelection(ini, favourites(), &error))
        return true;
    showError(error);
    return false;
}

void TfmTableStru::spInsertClick()
{
    if (!quTables->active() || quTables->recordCount() == 0)
        return;
    const QString table = quTables->fieldValue(QStringLiteral("TABLE_NAME")).toString();
    if (table.isEmpty())
        return;
    const QString owner = quTables->fieldValue(QStringLiteral("OWNER")).toString();
    auto* entry = new QTreeWidgetItem(tvSelected, { admin::favouriteText(table, owner) });
    new QTreeWidgetItem(entry, { QString() });
    new QTreeWidgetItem(entry, { QString() });
    entry->setExpanded(true);
    paSelected->setVisible(true);
}

void TfmTableStru::spDeleteClick()
{
    // The whole entry goes, also when one of its two lines is selected: an entry is never left half.
    QTreeWidgetItem* entry = selectedFavourite();
    delete entry;
    spDelete->setEnabled(tvSelected->currentItem() != nullptr);
}

QTreeWidgetItem* TfmTableStru::selectedFavourite() const
{
    QTreeWidgetItem* item = tvSelected->currentItem();
    while (item && item->parent())
        item = item->parent();
    return item;
}

QTreeWidgetItem* TfmTableStru::currentFavourite() const
{
    QTreeWidgetItem* entry = selectedFavourite();
    if (!entry)
        return nullptr;
    const admin::FavouriteTable t = admin::splitFavourite(entry->text(0), currOwner);
    return t.table == currTableName && t.owner == currOwner ? entry : nullptr;
}

void TfmTableStru::tvSelectedClick(QTreeWidgetItem* item)
{
    if (!item || item->parent())
        return;
    const admin::FavouriteTable t = admin::splitFavourite(item->text(0), currOwner);
    if (t.owner != cbUser->currentText().trimmed())
        cbUser->setEditText(t.owner);
    edFilter->setText(item->childCount() > 1 ? item->child(1)->text(0) : QString());
    takeTable(t.owner, t.table);
}

bool TfmTableStru::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cbUser && event->type() == QEvent::FocusOut) {
        // Leaving the owner box with another owner: the tabs are read again.
        if (cbUser->currentText().trimmed() != currOwner) {
            currOwner = cbUser->currentText().trimmed();
            ClearTabCaches();
        }
    } else if (watched == edTabela && event->type() == QEvent::FocusIn) {
        btStru->setFocusPolicy(Qt::StrongFocus);
    } else if (watched == sgColumns && event->type() == QEvent::FocusOut) {
        storeColumnMarks();
    } else if (watched == sgColumns && event->type() == QEvent::KeyPress) {
        // Moving with the keys never toggles a mark; the space bar does.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
            statTastGrCol = QStringLiteral("SPACE");
            toggleMark(sgColumns->currentRow());
            return true;
        }
        statTastGrCol = QStringLiteral("NE");
    } else if (watched == dbCelMemo && event->type() == QEvent::FocusIn) {
        svHeightCelMemo = dbCelMemo->height();
        dbCelMemo->setFixedHeight(svHeightCelMemo + 140);
    } else if (watched == dbCelMemo && event->type() == QEvent::FocusOut) {
        dbCelMemo->setFixedHeight(svHeightCelMemo);
    } else if (watched == edFilter && event->type() == QEvent::FocusIn) {
        // Only when the user goes into the box, not when the page shows and hands it the focus.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool byUser = reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason
            || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
        if (byUser && edFilter->text().isEmpty())
            edFilter->setText(QStringLiteral("WHERE "));
    }
    return QWidget::eventFilter(watched, event);
}

void TfmTableStru::closeEvent(QCloseEvent* event)
{
    if (hasPendingData()) {
        const bool slo = admin::slovenian(main);
        if (!admin::askYesNo(this, main,
                slo ? QStringLiteral("Podatki imajo nepotrjene spremembe. Jih zavržem in zaprem okno?")
                    : QStringLiteral("The data page holds changes not yet committed. Discard them and close?"))) {
            event->ignore();
            return;
        }
        quData->cancelUpdates();
    }
    QWidget::closeEvent(event);
}
