// The PL/SQL editor's files and writing aids: load and save with the unsaved-changes question, the recent list of
// PL_SQL.INI, the second pane, the tools panel with its table browser and templates, the macros and the keyword
// finder. The logic lives in plsqlrecent, plsqltemplates, keywordfinder and macrokeys.
#include "db/dataset.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "develop/datagrid.h"
#include "develop/editormacros.h"
#include "develop/editpl.h"
#include "develop/keywordfinder.h"
#include "develop/macrokeys.h"
#include "develop/plsqltemplates.h"
#include "platform/configdir.h"
#include "shell/Main.h"
#include "shell/gridutils.h"
#include "shell/localmessagedlg.h"
#include "shell/sqleditor.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

QToolButton* pageButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(20, 20));
    b->setAutoRaise(true);
    b->setFixedSize(32, 32);
    return b;
}

// Calls the handler for a double click on a widget's viewport.
class DoubleClick : public QObject {
public:
    DoubleClick(QWidget* target, std::function<void()> handler)
        : QObject(target)
        , handler(std::move(handler))
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            handler();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> handler;
};

} // namespace

// ---- the tools panel

void TfmEditPL::buildToolsPanel()
{
    paTools = new QWidget(this);
    paTools->setObjectName(QStringLiteral("paTools"));
    static_cast<QHBoxLayout*>(layout())->addWidget(paTools);
    auto* l = new QHBoxLayout(paTools);
    l->setContentsMargins(2, 2, 4, 2);
    l->setSpacing(2);
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(2);
    spUtilStructure = pageButton(paTools, "spUtilStructure", QStyle::SP_FileDialogListView);
    spUtilTemplate = pageButton(paTools, "spUtilTemplate", QStyle::SP_FileDialogContentsView);
    spUtilFile = pageButton(paTools, "spUtilFile", QStyle::SP_DirOpenIcon);
    spUtilBack = pageButton(paTools, "spUtilBack", QStyle::SP_ArrowLeft);
    buttons->addWidget(spUtilStructure);
    buttons->addWidget(spUtilTemplate);
    buttons->addWidget(spUtilFile);
    buttons->addStretch();
    buttons->addWidget(spUtilBack);
    l->addLayout(buttons);
    pcTools = new QStackedWidget(paTools);
    pcTools->setObjectName(QStringLiteral("pcTools"));
    l->addWidget(pcTools, 1);
    buildStructurePage();
    buildTemplatePage();
    buildFilePage();
    connect(spUtilStructure, &QToolButton::clicked, this, [this] { pcTools->setCurrentWidget(tsStructure); });
    connect(spUtilTemplate, &QToolButton::clicked, this, [this] { pcTools->setCurrentWidget(tsTemplate); });
    connect(spUtilFile, &QToolButton::clicked, this, [this] { pcTools->setCurrentWidget(tsFile); });
    connect(spUtilBack, &QToolButton::clicked, this, &TfmEditPL::spUtilBackClick);
}

void TfmEditPL::buildStructurePage()
{
    tsStructure = new QWidget(pcTools);
    tsStructure->setObjectName(QStringLiteral("tsStructure"));
    pcTools->addWidget(tsStructure);
    auto* l = new QVBoxLayout(tsStructure);
    l->setContentsMargins(0, 0, 0, 0);
    auto* form = new QGridLayout;
    laUser = new QLabel(tsStructure);
    laUser->setObjectName(QStringLiteral("laUser"));
    lcbUsers = new QComboBox(tsStructure);
    lcbUsers->setObjectName(QStringLiteral("lcbUsers"));
    laTable = new QLabel(tsStructure);
    laTable->setObjectName(QStringLiteral("laTable"));
    lcbTables = new QComboBox(tsStructure);
    lcbTables->setObjectName(QStringLiteral("lcbTables"));
    lcbTables->setMaxVisibleItems(25);
    form->addWidget(laUser, 0, 0);
    form->addWidget(lcbUsers, 0, 1);
    form->addWidget(laTable, 1, 0);
    form->addWidget(lcbTables, 1, 1);
    form->setColumnStretch(1, 1);
    l->addLayout(form);
    sgColumns = new QTableWidget(0, 3, tsStructure);
    sgColumns->setObjectName(QStringLiteral("sgColumns"));
    sgColumns->setHorizontalHeaderLabels({ QStringLiteral("COLUMN_NAME"), QStringLiteral("DATA_TYPE"),
        QStringLiteral("DATA_LENGTH") });
    sgColumns->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgColumns->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgColumns->setSelectionMode(QAbstractItemView::ExtendedSelection);
    sgColumns->verticalHeader()->hide();
    sgColumns->verticalHeader()->setDefaultSectionSize(20);
    sgColumns->horizontalHeader()->setStretchLastSection(true);
    l->addWidget(sgColumns, 1);
    auto* row = new QHBoxLayout;
    spInsert = new QToolButton(tsStructure);
    spInsert->setObjectName(QStringLiteral("spInsert"));
    spInsert->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    spInsert->setText(QStringLiteral("Import"));
    spInsert->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btConstraints = new QPushButton(tsStructure);
    btConstraints->setObjectName(QStringLiteral("btConstraints"));
    btRef = new QPushButton(tsStructure);
    btRef->setObjectName(QStringLiteral("btRef"));
    row->addWidget(spInsert);
    row->addStretch();
    row->addWidget(btConstraints);
    row->addWidget(btRef);
    l->addLayout(row);

    connect(lcbUsers, &QComboBox::textActivated, this, [this] { fillTables(); });
    connect(lcbTables, &QComboBox::textActivated, this, [this] { fillColumns(); });
    connect(sgColumns, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (QTableWidgetItem* item = sgColumns->item(row, 0))
            insertMacroText((mainWindow ? mainWindow->getClipboard() : QString()) + item->text() + QLatin1Char(','));
    });
    connect(spInsert, &QToolButton::clicked, this, &TfmEditPL::spInsertClick);
    auto tableWindow = [this](bool references) {
        if (!tableWindows) {
            message(nizNotAvailable);
            return;
        }
        if (!chosenTable().isEmpty())
            tableWindows(this, chosenOwner(), chosenTable(), references);
    };
    connect(btConstraints, &QPushButton::clicked, this, [tableWindow] { tableWindow(false); });
    connect(btRef, &QPushButton::clicked, this, [tableWindow] { tableWindow(true); });
}

void TfmEditPL::buildTemplatePage()
{
    tsTemplate = new QWidget(pcTools);
    tsTemplate->setObjectName(QStringLiteral("tsTemplate"));
    pcTools->addWidget(tsTemplate);
    auto* l = new QVBoxLayout(tsTemplate);
    l->setContentsMargins(0, 0, 0, 0);
    auto* find = new QHBoxLayout;
    laTEmplate = new QLabel(tsTemplate);
    laTEmplate->setObjectName(QStringLiteral("laTEmplate"));
    edTemplate = new QLineEdit(tsTemplate);
    edTemplate->setObjectName(QStringLiteral("edTemplate"));
    laTEmplate->setBuddy(edTemplate);
    btFindTpl = new QToolButton(tsTemplate);
    btFindTpl->setObjectName(QStringLiteral("btFindTpl"));
    btFindTpl->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    find->addWidget(laTEmplate);
    find->addWidget(edTemplate, 1);
    find->addWidget(btFindTpl);
    l->addLayout(find);

    quTemplate = new db::DataSet(osOracle, this);
    quTemplate->setObjectName(QStringLiteral("quTemplate"));
    quTemplate->setSql(QString::fromLatin1(develop::templateFindQuery));
    TThemedDBGrid* grid = develop::themedDataGrid(tsTemplate);
    grid->setObjectName(QStringLiteral("dbgTemplate"));
    grid->setDataSet(quTemplate);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->hide();
    dbgTemplate = grid;
    l->addWidget(dbgTemplate, 1);

    auto* desc = new QHBoxLayout;
    laOpis = new QLabel(tsTemplate);
    laOpis->setObjectName(QStringLiteral("laOpis"));
    edDesc = new QLineEdit(tsTemplate);
    edDesc->setObjectName(QStringLiteral("edDesc"));
    edDesc->setMaxLength(100);
    desc->addWidget(laOpis);
    desc->addWidget(edDesc, 1);
    l->addLayout(desc);
    meTemplate = new QPlainTextEdit(tsTemplate);
    meTemplate->setObjectName(QStringLiteral("meTemplate"));
    meTemplate->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    l->addWidget(meTemplate, 1);
    auto* row = new QHBoxLayout;
    btNew = new QPushButton(tsTemplate);
    btNew->setObjectName(QStringLiteral("btNew"));
    btUpdate = new QPushButton(tsTemplate);
    btUpdate->setObjectName(QStringLiteral("btUpdate"));
    btCopy = new QPushButton(tsTemplate);
    btCopy->setObjectName(QStringLiteral("btCopy"));
    btCancel = new QPushButton(tsTemplate);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btSaveTemplate = new QPushButton(tsTemplate);
    btSaveTemplate->setObjectName(QStringLiteral("btSaveTemplate"));
    btSaveTemplate->setEnabled(false);
    for (QPushButton* b : { btNew, btUpdate, btCopy, btCancel, btSaveTemplate })
        row->addWidget(b);
    l->addLayout(row);

    connect(btFindTpl, &QToolButton::clicked, this, &TfmEditPL::btFindTplClick);
    connect(edTemplate, &QLineEdit::returnPressed, this, [this] {
        if (btFindTpl->isEnabled())
            btFindTplClick();
    });
    connect(quTemplate, &db::DataSet::currentChanged, this, &TfmEditPL::templateRowChanged);
    connect(btNew, &QPushButton::clicked, this, &TfmEditPL::btNewClick);
    connect(btUpdate, &QPushButton::clicked, this, &TfmEditPL::btUpdateClick);
    connect(btSaveTemplate, &QPushButton::clicked, this, &TfmEditPL::btSaveTemplateClick);
    connect(btCancel, &QPushButton::clicked, this, &TfmEditPL::btCancelClick);
    connect(btCopy, &QPushButton::clicked, this, &TfmEditPL::btCopyClick);
    connect(meTemplate, &QPlainTextEdit::textChanged, this, [this] {
        // The table's text column takes what the window lets one type: at most templateTextLimit characters.
        const QString text = meTemplate->toPlainText();
        if (text.size() <= develop::templateTextLimit)
            return;
        QTextCursor cursor = meTemplate->textCursor();
        const int pos = qMin(cursor.position(), develop::templateTextLimit);
        meTemplate->setPlainText(text.left(develop::templateTextLimit));
        cursor = meTemplate->textCursor();
        cursor.setPosition(pos);
        meTemplate->setTextCursor(cursor);
    });
    new DoubleClick(meTemplate->viewport(), [this] { dbgTemplate->hide(); });
}

void TfmEditPL::buildFilePage()
{
    tsFile = new QWidget(pcTools);
    tsFile->setObjectName(QStringLiteral("tsFile"));
    pcTools->addWidget(tsFile);
    auto* l = new QVBoxLayout(tsFile);
    l->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    SpeedButton1 = new QToolButton(tsFile);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    row->addWidget(SpeedButton1);
    sbCompare = new QLabel(tsFile);
    sbCompare->setObjectName(QStringLiteral("sbCompare"));
    row->addWidget(sbCompare, 1);
    l->addLayout(row);
    meCompare = new shell::SqlEditor(tsFile);
    meCompare->setObjectName(QStringLiteral("meCompare"));
    meCompare->setReadOnly(true);
    l->addWidget(meCompare, 1);
    sbCompareLine = new QLabel(tsFile);
    sbCompareLine->setObjectName(QStringLiteral("sbCompareLine"));
    l->addWidget(sbCompareLine);
    meCompare->viewport()->installEventFilter(this);
    meCompare->installEventFilter(this);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { OpenFile(); });
    connect(meCompare, &shell::SqlEditor::cursorPositionChanged, this,
        [this] { sbCompareLine->setText(nizLine + QLatin1Char(' ') + QString::number(meCompare->cursorLine())); });
}

void TfmEditPL::spDataBaseClick()
{
    if (paTools->isVisible()) {
        spUtilBackClick();
        return;
    }
    SirinaAll = paEdit->width();
    move(70, y());
    paTools->setFixedWidth(SirinaLeft);
    paTools->show();
    layout()->activate();
    resize(SirinaAll + SirinaLeft, height());
    openUsers();
}

void TfmEditPL::spUtilBackClick()
{
    if (!paTools->isVisible())
        return;
    SirinaLeft = paTools->width();
    move(pozicijaLeft, y());
    paTools->hide();
    paTools->setFixedWidth(0);
    // The window may shrink only once its layout no longer counts the panel.
    layout()->activate();
    resize(SirinaAll, height());
    lcbUsers->clear();
    lcbTables->clear();
    sgColumns->setRowCount(0);
}

void TfmEditPL::openUsers()
{
    lcbUsers->clear();
    lcbTables->clear();
    sgColumns->setRowCount(0);
    if (!osOracle)
        return;
    try {
        db::Query q(osOracle);
        q.setSql(QStringLiteral("SELECT USERNAME FROM ALL_USERS\r\norder by USERNAME"));
        q.execute();
        for (; !q.eof(); q.next())
            lcbUsers->addItem(q.field(0).toString());
    } catch (const db::OracleError& e) {
        message(e.message());
        return;
    }
    // The connected user's tables come first to hand.
    const int own = lcbUsers->findText(mainWindow ? mainWindow->connUser : QString());
    lcbUsers->setCurrentIndex(own);
    if (own >= 0)
        fillTables();
}

void TfmEditPL::fillTables()
{
    lcbTables->clear();
    sgColumns->setRowCount(0);
    if (!osOracle || lcbUsers->currentText().isEmpty())
        return;
    try {
        db::Query q(osOracle);
        q.setSql(QStringLiteral("SELECT OWNER,TABLE_NAME FROM ALL_TABLES\r\n WHERE OWNER=:UPOR\r\nORDER BY TABLE_NAME"));
        q.setVariable(QStringLiteral("UPOR"), lcbUsers->currentText());
        q.execute();
        for (; !q.eof(); q.next())
            lcbTables->addItem(q.field(1).toString(), q.field(0).toString());
    } catch (const db::OracleError& e) {
        message(e.message());
    }
    lcbTables->setCurrentIndex(-1);
}

QString TfmEditPL::chosenOwner() const
{
    return lcbTables->currentData().toString();
}

QString TfmEditPL::chosenTable() const
{
    return lcbTables->currentIndex() < 0 ? QString() : lcbTables->currentText();
}

void TfmEditPL::fillColumns()
{
    sgColumns->setRowCount(0);
    if (!osOracle || chosenTable().isEmpty())
        return;
    try {
        db::Query q(osOracle);
        q.setSql(QStringLiteral("SELECT COLUMN_NAME,DATA_TYPE,DATA_LENGTH \r\n FROM  ALL_TAB_COLUMNS\r\n"
                                "WHERE OWNER=:upor AND TABLE_NAME=:tabela\r\norder by column_id"));
        q.setVariable(QStringLiteral("upor"), chosenOwner());
        q.setVariable(QStringLiteral("tabela"), chosenTable());
        q.execute();
        for (; !q.eof(); q.next()) {
            const int row = sgColumns->rowCount();
            sgColumns->insertRow(row);
            for (int c = 0; c < 3; ++c)
                sgColumns->setItem(row, c, new QTableWidgetItem(q.fieldIsNull(c) ? QString() : q.field(c).toString()));
        }
    } catch (const db::OracleError& e) {
        message(e.message());
    }
    sgColumns->resizeColumnsToContents();
}

void TfmEditPL::spInsertClick()
{
    QList<int> rows;
    for (const QModelIndex& index : sgColumns->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    const QString word = mainWindow ? mainWindow->getClipboard() : QString();
    QStringList names;
    for (int row : rows)
        if (QTableWidgetItem* item = sgColumns->item(row, 0))
            names << word + item->text();
    if (!names.isEmpty())
        insertMacroText(names.join(QStringLiteral(", ")));
}

// ---- templates

void TfmEditPL::btFindTplClick()
{
    try {
        quTemplate->close();
        quTemplate->setVariable(QStringLiteral("template"), edTemplate->text().toUpper() + QLatin1Char('%'));
        quTemplate->open();
    } catch (const db::OracleError& e) {
        message(e.message());
        return;
    }
    dbgTemplate->show();
    shell::AdjustGridColumns(static_cast<TThemedDBGrid*>(dbgTemplate), 1, 45);
    templateRowChanged();
}

void TfmEditPL::templateRowChanged()
{
    if (!quTemplate->active() || quTemplate->recNo() == 0)
        return;
    const auto text = [this](const char* field) {
        const QVariant v = quTemplate->fieldValue(QString::fromLatin1(field));
        return v.isNull() ? QString() : v.toString();
    };
    meTemplate->setPlainText(text("TPL_CONT"));
    edTemplate->setText(text("TPL_SIFRA"));
    edDesc->setText(text("TPL_DESC"));
    chosenTemplateKey = edTemplate->text();
}

void TfmEditPL::templateBrowsing(bool browsing)
{
    dbgTemplate->hide();
    btSaveTemplate->setEnabled(!browsing);
    meTemplate->setEnabled(true);
    if (browsing) {
        btNew->setEnabled(true);
        btUpdate->setEnabled(true);
        btFindTpl->setEnabled(true);
    }
}

void TfmEditPL::btNewClick()
{
    edTemplate->clear();
    edDesc->clear();
    btFindTpl->setEnabled(false);
    btUpdate->setEnabled(false);
    templateBrowsing(false);
    edTemplate->setFocus();
}

void TfmEditPL::btUpdateClick()
{
    btFindTpl->setEnabled(false);
    btNew->setEnabled(false);
    templateBrowsing(false);
    meTemplate->setFocus();
}

void TfmEditPL::btSaveTemplateClick()
{
    if (!osOracle)
        return;
    const bool isNew = btNew->isEnabled();
    qint64 stored = 0;
    try {
        stored = develop::storeTemplate(*osOracle, isNew, chosenTemplateKey, edTemplate->text(), edDesc->text(),
            meTemplate->toPlainText());
    } catch (const db::OracleError& e) {
        message(e.message());
        return;
    }
    if (stored == 0) {
        message(nizTemplateGone);
        return;
    }
    templatePending = true;
    chosenTemplateKey = edTemplate->text().trimmed().toUpper();
    edTemplate->setText(chosenTemplateKey);
    templateBrowsing(true);
}

void TfmEditPL::btCancelClick()
{
    templateBrowsing(true);
    edTemplate->clear();
    edDesc->clear();
}

void TfmEditPL::btCopyClick()
{
    if (mainWindow)
        insertMacroText(mainWindow->prepareInsertTemplate(true, meTemplate->toPlainText()));
    meEdit->setFocus();
}

// ---- files

QString TfmEditPL::recentFilesPath() const
{
    return platform::profilePath(QString::fromLatin1(develop::recentFilesIni));
}

QFileDialog* TfmEditPL::openDialog(bool save)
{
    auto* dlg = new QFileDialog(this);
    dlg->setObjectName(save ? QStringLiteral("dlgSaveAs") : QStringLiteral("dlgLoad"));
    dlg->setAttribute(Qt::WA_DeleteOnClose, false);
    dlg->setDirectory(dialogDir);
    dlg->setNameFilter(save ? QStringLiteral("SQL Files (*.sql)") : QStringLiteral("SQL FILES (*.sql)"));
    dlg->setDefaultSuffix(QStringLiteral("sql"));
    dlg->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    return dlg;
}

bool TfmEditPL::naloziFile(const QString& imeF)
{
    if (!QFileInfo(imeF).isFile()) {
        message(neObstaja + QStringLiteral(": ") + imeF);
        return false;
    }
    // The editor takes the text only once the file has been read, so a failure leaves it as it was.
    if (!meEdit->loadFile(imeF)) {
        message(meEdit->errorString());
        return false;
    }
    CurrentFile = imeF;
    applyEditorFont(meEdit);
    currCont = meEdit->textLines();
    stNapak = 0;
    showErrorPanel(false);
    edStatus->clear();
    return true;
}

void TfmEditPL::fileLoaded(const QString& path)
{
    currFName = QFileInfo(path).fileName();
    setWindowTitle(currFName);
    sbCompare->setText(nizFile + QLatin1Char(' ') + CurrentFile);
    updateEditorStatus();
}

void TfmEditPL::enterRecent(const QString& path)
{
    const shell::FileDirNameResult parts = shell::FileDirName(path);
    // The file as other windows left it, so their entries are kept.
    recent.read(recentFilesPath());
    recent.enter(parts.fileName, parts.directory, QDateTime::currentDateTime());
    QString error;
    if (!recent.write(recentFilesPath(), &error))
        message(error);
}

bool TfmEditPL::unchanged() const
{
    return meEdit->textLines() == currCont;
}

bool TfmEditPL::unsavedChangesTest()
{
    if (unchanged())
        return true;
    const int answer = shell::LocalMessageDlg(nizSaveChanges, shell::MsgDlgType::mtConfirmation,
        shell::MsgDlgBtn::mbYesNoCancel, 0, mainWindow ? mainWindow->currLanguage : QString());
    if (answer == shell::mrNo)
        return true;
    if (answer != shell::mrYes)
        return false;
    return CurrentFile.isEmpty() ? spSaveAsClick() : saveTo(CurrentFile);
}

bool TfmEditPL::saveTo(const QString& path)
{
    if (!meEdit->saveFile(path)) {
        message(meEdit->errorString());
        return false;
    }
    currCont = meEdit->textLines();
    return true;
}

void TfmEditPL::spLoadClick()
{
    if (!unsavedChangesTest())
        return;
    recent.read(recentFilesPath());
    if (recent.count() > 0 && !lbHistFile->isVisible()) {
        showRecentList();
        return;
    }
    hideRecentList();
    std::unique_ptr<QFileDialog> dlg(openDialog(false));
    if (dlg->exec() != QDialog::Accepted || dlg->selectedFiles().isEmpty())
        return;
    const QString path = dlg->selectedFiles().constFirst();
    if (!naloziFile(path))
        return;
    const QString dir = shell::FileDirName(path).directory;
    if (mainWindow)
        mainWindow->TmpCurrentEditInitDir = dir;
    dialogDir = dir;
    enterRecent(path);
    fileLoaded(path);
}

void TfmEditPL::showRecentList()
{
    lbHistFile->clear();
    for (const develop::Tdatoteke& entry : recent.entries())
        lbHistFile->addItem(develop::RecentFiles::displayLine(entry, recent.displayNameWidth()));
    lbHistFile->setGeometry(meEdit->geometry());
    lbHistFile->show();
    lbHistFile->raise();
    lbHistFile->setCurrentRow(0);
    lbHistFile->setFocus();
}

void TfmEditPL::hideRecentList()
{
    if (!lbHistFile->isVisible())
        return;
    lbHistFile->hide();
    meEdit->setFocus();
}

void TfmEditPL::lbHistFileDblClick()
{
    const int row = lbHistFile->currentRow();
    if (row < 0 || row >= recent.count() || !lbHistFile->isVisible())
        return;
    const develop::Tdatoteke entry = recent.entries().at(row);
    const QString path = entry.dir + entry.ime;
    hideRecentList();
    if (!naloziFile(path))
        return;
    enterRecent(path);
    fileLoaded(path);
}

void TfmEditPL::miHistFileDeleteClick()
{
    const int row = lbHistFile->currentRow();
    if (row < 0 || row >= recent.count())
        return;
    const develop::Tdatoteke gone = recent.entries().at(row);
    // The entry is taken out of the file as it stands now, wherever the other windows have moved it.
    recent.read(recentFilesPath());
    for (int i = 0; i < recent.count(); ++i) {
        if (recent.entries().at(i).ime == gone.ime && recent.entries().at(i).dir == gone.dir) {
            recent.remove(i);
            break;
        }
    }
    QString error;
    if (!recent.write(recentFilesPath(), &error))
        message(error);
    hideRecentList();
    spLoadClick();
}

void TfmEditPL::spNewClick()
{
    if (!unsavedChangesTest())
        return;
    CurrentFile.clear();
    currFName.clear();
    meEdit->clear();
    meEdit->setEncoding(shell::TextEncoding::Utf8);
    currCont.clear();
    setWindowTitle(QString());
    updateEditorStatus();
}

void TfmEditPL::spSaveClick()
{
    if (CurrentFile.isEmpty()) {
        message(nizNoActive);
        return;
    }
    saveTo(CurrentFile);
}

bool TfmEditPL::spSaveAsClick()
{
    std::unique_ptr<QFileDialog> dlg(openDialog(true));
    if (!currFName.isEmpty())
        dlg->selectFile(currFName);
    if (dlg->exec() != QDialog::Accepted || dlg->selectedFiles().isEmpty())
        return false;
    const QString path = dlg->selectedFiles().constFirst();
    if (!saveTo(path))
        return false;
    CurrentFile = path;
    const QString dir = shell::FileDirName(path).directory;
    if (mainWindow)
        mainWindow->TmpCurrentEditInitDir = dir;
    dialogDir = dir;
    fileLoaded(path);
    return true;
}

bool TfmEditPL::OpenFile()
{
    std::unique_ptr<QFileDialog> dlg(openDialog(false));
    if (dlg->exec() != QDialog::Accepted || dlg->selectedFiles().isEmpty()) {
        meCompare->clear();
        sbCompare->clear();
        return false;
    }
    const QString path = dlg->selectedFiles().constFirst();
    if (!meCompare->loadFile(path)) {
        message(meCompare->errorString());
        return false;
    }
    sbCompare->setText(nizFile + QLatin1Char(' ') + path);
    sbCompareLine->setText(nizLine + QLatin1Char(' ') + QString::number(meCompare->cursorLine()));
    return true;
}

// ---- macros and the keyword finder

void TfmEditPL::buildMacros()
{
    // Key events reach the macro filter one by one, so a held key is seen repeating.
    meEdit->setAttribute(Qt::WA_KeyCompression, false);
    pmMacro = new QMenu(this);
    pmMacro->setObjectName(QStringLiteral("pmMacro"));
    meEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(meEdit, &QWidget::customContextMenuRequested, this, &TfmEditPL::showEditorPopup);
    if (!mainWindow)
        return;
    mainWindow->preberiMacroTipke(
        this, pmMacro, [this](QAction* item) { popupMacroClick(int(pmMacro->actions().indexOf(item))); });
    macroTimer.start();
    develop::MacroKeyFilter::Actions actions;
    actions.insert = [this](const QString& text) { insertMacroText(mainWindow->prepareInsertTemplate(false, text)); };
    macroKeys = new develop::MacroKeyFilter(mainWindow->macroTables, meEdit, std::move(actions),
        [this] { return macroClock ? macroClock() : macroTimer.elapsed(); });
}

void TfmEditPL::insertMacroText(const QString& text)
{
    develop::insertEditorText(meEdit, text);
}

void TfmEditPL::popupMacroClick(int k)
{
    if (!mainWindow || k < 0 || k >= mainWindow->macroTables.stMacro.size())
        return;
    insertMacroText(mainWindow->prepareInsertTemplate(true, mainWindow->brezNL(mainWindow->macroTables.stMacro.at(k))));
}

void TfmEditPL::showEditorPopup(const QPoint& pos)
{
    develop::showEditorPopup(meEdit, pmMacro, pos);
}

void TfmEditPL::spFindEQClick()
{
    int lineFrom = 0;
    int indexFrom = 0;
    int lineTo = 0;
    int indexTo = 0;
    meEdit->getSelection(&lineFrom, &indexFrom, &lineTo, &indexTo);
    if (lineFrom < 0 || (lineFrom == lineTo && indexFrom == indexTo))
        return;
    const std::optional<develop::FoundKeyword> found
        = develop::findClosingKeyword(meEdit->textLines(), lineTo, indexTo, meEdit->selectedText());
    if (!found)
        return;
    meEdit->setSelection(found->line, found->column, found->line, found->column + found->length);
    meEdit->ensureLineVisible(found->line);
    meEdit->setFocus();
    updateEditorStatus();
}
