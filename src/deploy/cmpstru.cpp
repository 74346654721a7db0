#include "deploy/cmpstru.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "develop/sqlfile.h"
#include "shell/Main.h"
#include "shell/localmessagedlg.h"
#include "shell/sqleditor.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>

namespace {

QLabel* caption(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QPushButton* dotButton(QWidget* parent, const char* name)
{
    auto* b = new QPushButton(QStringLiteral("..."), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFixedWidth(32);
    return b;
}

QLineEdit* fileField(QWidget* parent, const char* name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setMinimumWidth(320);
    return e;
}

} // namespace

TfmCmpStru::TfmCmpStru(TfmMain* main, QWidget* parent)
    : QMainWindow(parent, Qt::Window)
    , fm(main)
{
    setObjectName(QStringLiteral("fmCmpStru"));
    buildLayout();
    setLanguageTexts();
    if (fm) {
        edUser->setText(fm->connUser);
        setWindowTitle(windowTitle() + QStringLiteral("  (") + fm->connUser + QLatin1Char('@') + fm->connServer
            + QLatin1Char(')'));
    }
}

void TfmCmpStru::buildLayout()
{
    resize(820, 600);
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mmFile"));
    mmCreate = file->addAction(QStringLiteral("Create "));
    mmCreate->setObjectName(QStringLiteral("mmCreate"));
    mmShowOriginal = file->addAction(QStringLiteral("Show Original"));
    mmShowOriginal->setObjectName(QStringLiteral("mmShowOriginal"));
    mmShowCurrent = file->addAction(QStringLiteral("Show Current"));
    mmShowCurrent->setObjectName(QStringLiteral("mmShowCurrent"));
    mmCompare = bar->addAction(QStringLiteral("&Compare"));
    mmCompare->setObjectName(QStringLiteral("mmCompare"));
    mmExit = bar->addAction(QStringLiteral("&Exit"));
    mmExit->setObjectName(QStringLiteral("mmExit"));

    auto* tools = addToolBar(QStringLiteral("tools"));
    tools->setObjectName(QStringLiteral("tbTools"));
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto tool = [&](const char* name, QStyle::StandardPixmap icon, const QString& text) {
        auto* b = new QToolButton(tools);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(style()->standardIcon(icon));
        b->setText(text);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        tools->addWidget(b);
        return b;
    };
    spCreate = tool("spCreate", QStyle::SP_FileDialogNewFolder, QStringLiteral("Create"));
    spCompare = tool("spCompare", QStyle::SP_FileDialogContentsView, QStringLiteral("Compare"));
    spOpen = tool("spOpen", QStyle::SP_DialogOpenButton, QStringLiteral("Original"));
    spDest = tool("spDest", QStyle::SP_DirOpenIcon, QStringLiteral("Current"));
    tools->addSeparator();
    laKind = caption(tools, "laKind", QString());
    laKind->setStyleSheet(QStringLiteral("QLabel { color: blue; font-weight: bold; padding-left: 12px; }"));
    tools->addWidget(laKind);

    pcMain = new QStackedWidget(this);
    pcMain->setObjectName(QStringLiteral("pcMain"));
    pcMain->hide();
    auto* central = new QWidget(this);
    auto* cl = new QVBoxLayout(central);
    cl->addWidget(pcMain);
    cl->addStretch(0);
    setCentralWidget(central);

    // Create page
    tabCreate = new QWidget;
    tabCreate->setObjectName(QStringLiteral("tabCreate"));
    auto* cg = new QGridLayout(tabCreate);
    edUser = new QLineEdit(tabCreate);
    edUser->setObjectName(QStringLiteral("edUser"));
    connect(edUser, &QLineEdit::textEdited, edUser, [this](const QString& t) {
        const int at = edUser->cursorPosition();
        edUser->setText(t.toUpper());
        edUser->setCursorPosition(at);
    });
    edName = new QLineEdit(tabCreate);
    edName->setObjectName(QStringLiteral("edName"));
    cbType = new QComboBox(tabCreate);
    cbType->setObjectName(QStringLiteral("cbType"));
    cbType->setEditable(true);
    cbType->addItems({ "ALL", "TABLE", "TRIGGER ", "PROCEDURE", "FUNCTION", "PACKAGE", "PACKAGE BODY", "SEQUENCE",
        "INDEX" });
    cbType->setCurrentText(QStringLiteral("TABLE"));
    btCreateScript = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QStringLiteral("Create"), tabCreate);
    btCreateScript->setObjectName(QStringLiteral("btCreateScript"));
    spSave = new QPushButton(style()->standardIcon(QStyle::SP_DialogSaveButton), QStringLiteral("Save"), tabCreate);
    spSave->setObjectName(QStringLiteral("spSave"));
    spSave->setEnabled(false);
    laStatus = caption(tabCreate, "laStatus", QString());
    laStatus->setStyleSheet(QStringLiteral("QLabel { color: red; font-weight: bold; }"));
    meTemp = new QPlainTextEdit(tabCreate);
    meTemp->setObjectName(QStringLiteral("meTemp"));
    meTemp->setReadOnly(true);
    meTemp->setLineWrapMode(QPlainTextEdit::NoWrap);
    labels << caption(tabCreate, "laUser", QStringLiteral("User:")) << caption(tabCreate, "laName", QStringLiteral("Name:"))
           << caption(tabCreate, "laType", QStringLiteral("Type:"));
    cg->addWidget(labels[0], 0, 0);
    cg->addWidget(edUser, 0, 1);
    cg->addWidget(labels[1], 1, 0);
    cg->addWidget(edName, 1, 1);
    cg->addWidget(labels[2], 2, 0);
    cg->addWidget(cbType, 2, 1);
    auto* cb = new QHBoxLayout;
    cb->addWidget(btCreateScript);
    cb->addWidget(spSave);
    cb->addWidget(laStatus, 1);
    cg->addLayout(cb, 3, 0, 1, 3);
    cg->addWidget(meTemp, 4, 0, 1, 3);
    cg->setColumnStretch(2, 1);
    cg->setRowStretch(4, 1);
    pcMain->addWidget(tabCreate);

    // The two editors
    auto editorPage = [&](const char* page, const char* label, QLineEdit*& field, const char* fieldName,
                          QPushButton*& search, const char* searchName, shell::SqlEditor*& editor,
                          const char* editorName) {
        auto* w = new QWidget;
        w->setObjectName(QString::fromLatin1(page));
        auto* g = new QGridLayout(w);
        labels << caption(w, label, QStringLiteral("File:"));
        field = fileField(w, fieldName);
        search = dotButton(w, searchName);
        editor = new shell::SqlEditor(w);
        editor->setObjectName(QString::fromLatin1(editorName));
        g->addWidget(labels.last(), 0, 0);
        g->addWidget(field, 0, 1);
        g->addWidget(search, 0, 2);
        g->addWidget(editor, 1, 0, 1, 4);
        g->setColumnStretch(3, 1);
        g->setRowStretch(1, 1);
        pcMain->addWidget(w);
        return w;
    };
    tabSource = editorPage("tabSource", "laFileSource", edFileSource, "edFileSource", btSourceSearch,
        "btSourceSearch", meSource, "meSource");
    tabDest = editorPage(
        "tabDest", "laFileDest", edFileDest, "edFileDest", btDestSearch, "btDestSearch", meDest, "meDest");

    // Compare page
    tabCompare = new QWidget;
    tabCompare->setObjectName(QStringLiteral("tabCompare"));
    auto* pg = new QGridLayout(tabCompare);
    labels << caption(tabCompare, "laSource", QStringLiteral("Source:"))
           << caption(tabCompare, "laOriginal", QStringLiteral("Original:"));
    edfSource = fileField(tabCompare, "edfSource");
    btSource = dotButton(tabCompare, "btSource");
    edfDest = fileField(tabCompare, "edfDest");
    btDest = dotButton(tabCompare, "btDest");
    btCompare = new QPushButton(QStringLiteral("Compare"), tabCompare);
    btCompare->setObjectName(QStringLiteral("btCompare"));
    btSaveDiff = new QPushButton(QStringLiteral("&Save differences"), tabCompare);
    btSaveDiff->setObjectName(QStringLiteral("btSaveDiff"));
    btSaveDiff->setEnabled(false);
    pg->addWidget(labels[labels.size() - 2], 0, 0);
    pg->addWidget(edfSource, 0, 1);
    pg->addWidget(btSource, 0, 2);
    pg->addWidget(btCompare, 0, 4);
    pg->addWidget(labels.last(), 1, 0);
    pg->addWidget(edfDest, 1, 1);
    pg->addWidget(btDest, 1, 2);
    pg->addWidget(btSaveDiff, 1, 4);
    pg->setColumnStretch(3, 1);
    auto* split = new QSplitter(Qt::Vertical, tabCompare);
    sgError = new QTableWidget(1, 3, split);
    sgError->setObjectName(QStringLiteral("sgError"));
    sgError->setRowHidden(0, true); // the title row: the header shows the titles
    sgError->verticalHeader()->hide();
    sgError->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgError->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgError->setSelectionMode(QAbstractItemView::SingleSelection);
    sgError->horizontalHeader()->setStretchLastSection(true);
    sgError->setColumnWidth(0, 90);
    sgError->setColumnWidth(1, 200);
    sgError->verticalHeader()->setDefaultSectionSize(20);
    meError = new QPlainTextEdit(split);
    meError->setObjectName(QStringLiteral("meError"));
    meError->setReadOnly(true);
    meError->setLineWrapMode(QPlainTextEdit::NoWrap);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);
    pg->addWidget(split, 2, 0, 1, 5);
    pg->setRowStretch(2, 1);
    pcMain->addWidget(tabCompare);

    tiStart = new QTimer(this);
    tiStart->setObjectName(QStringLiteral("tiStart"));
    tiStart->setInterval(1000);

    connect(spCreate, &QToolButton::clicked, this, [this] { showPage(tabCreate, nizCrSrc); });
    connect(mmCreate, &QAction::triggered, this, [this] { showPage(tabCreate, nizCrSrc); });
    connect(spCompare, &QToolButton::clicked, this, [this] { showPage(tabCompare, nizCmp); });
    connect(mmCompare, &QAction::triggered, this, [this] { showPage(tabCompare, nizCmp); });
    connect(spOpen, &QToolButton::clicked, this, [this] { showPage(tabSource, nizSrc); });
    connect(mmShowOriginal, &QAction::triggered, this, [this] { showPage(tabSource, nizSrc); });
    connect(spDest, &QToolButton::clicked, this, [this] { showPage(tabDest, nizDest); });
    connect(mmShowCurrent, &QAction::triggered, this, [this] { showPage(tabDest, nizDest); });
    connect(mmExit, &QAction::triggered, this, &QWidget::close);
    connect(btCreateScript, &QPushButton::clicked, this, [this] { btCreateScriptClick(); });
    connect(spSave, &QPushButton::clicked, this, [this] { spSaveClick(); });
    connect(btSourceSearch, &QPushButton::clicked, this, [this] { loadSource(); });
    connect(btSource, &QPushButton::clicked, this, [this] { loadSource(); });
    connect(btDestSearch, &QPushButton::clicked, this, [this] { loadDest(); });
    connect(btDest, &QPushButton::clicked, this, [this] { loadDest(); });
    connect(btCompare, &QPushButton::clicked, this, [this] { btCompareClick(); });
    connect(btSaveDiff, &QPushButton::clicked, this, [this] { btSaveDiffClick(); });
    connect(tiStart, &QTimer::timeout, this, [this] { tiStartTimer(); });
    connect(sgError, &QTableWidget::currentCellChanged, this, [this](int row) {
        meError->setPlainText(row >= 1 && row <= bError.size() ? bError.at(row - 1).napaka : QString());
    });
}

void TfmCmpStru::setLanguageTexts()
{
    const bool slo = fm && fm->currLanguage == QLatin1String("SLO");
    setWindowTitle(slo ? QStringLiteral("Primerjanje struktur") : QStringLiteral("Compare structure"));
    const QStringList titles = slo ? QStringList { "TIP", "IME", "NEPRAVILNO   -->  PRAVILNO" }
                                   : QStringList { "TYPE", "NAME", "SOURCE   -->  ORIGINAL" };
    sgError->setHorizontalHeaderLabels(titles);
    nizCrSrc = slo ? QStringLiteral("KREIRAJ PRIMERJALNO SHEMO") : QStringLiteral("CREATE SOURCE");
    nizSrc = slo ? QStringLiteral("PRIMERJALNA SHEMA") : QStringLiteral("SOURCE");
    nizDest = slo ? QStringLiteral("TRENUTNA SHEMA") : QStringLiteral("DESTINATION");
    nizEmpSrc = slo ? QStringLiteral("PRAZNA PRIMERJALNA SHEMA") : QStringLiteral("SOURCE IS EMPTY");
    nizEmpDest = slo ? QStringLiteral("PRAZNA TRENUTNA SHEMA") : QStringLiteral("DESTINATION IS EMPTY");
    nizCr = slo ? QStringLiteral("KREIRANJE") : QStringLiteral("CREATING");
    nizPrep = slo ? QStringLiteral("PRIPRAVA SHEME") : QStringLiteral("PREPARING SCRIPT");
    nizCmp = slo ? QStringLiteral("PRIMERJAVA SHEM") : QStringLiteral("COMPARE STRUCTURE");
    nizNeObstaja = slo ? QStringLiteral("NE OBSTAJA") : QStringLiteral("DOES NOT EXISTS");
    nizNiEnako = slo ? QStringLiteral("NI ENAKO") : QStringLiteral("NOT EQUAL");
    nizNiNapak = slo ? QStringLiteral("NI RAZLIK") : QStringLiteral("SHEMAS ARE EQUAL");
    nizToMuch = slo ? QStringLiteral("VE\u010C KOT 500 NAPAK") : QStringLiteral("MORE THAN 500 ERRORS");
    const QString hCreate = QStringLiteral("Create script"), hOpen = QStringLiteral("Open original script"),
                  hDest = QStringLiteral("Open current script"), hCompare = QStringLiteral("Compare");
    spOpen->setToolTip(slo ? QStringLiteral("Prika\u017Ei primerjalno shemo") : hOpen);
    spDest->setToolTip(slo ? QStringLiteral("Prika\u017Ei trenutno shemo") : hDest);
    spCreate->setToolTip(slo ? QStringLiteral("Kreiraj shemo") : hCreate);
    spCompare->setToolTip(slo ? QStringLiteral("Primerjaj shemi") : hCompare);
    btCreateScript->setToolTip(slo ? QStringLiteral("Kreiraj shemo") : hCreate);
    if (!slo)
        return;
    menuBar()->findChild<QMenu*>(QStringLiteral("mmFile"))->setTitle(QStringLiteral("Datoteka"));
    mmShowOriginal->setText(QStringLiteral("Prika\u017Ei primerjalno shemo"));
    mmShowCurrent->setText(QStringLiteral("Prika\u017Ei trenutno shemo"));
    mmCreate->setText(QStringLiteral("Kreiraj shemo"));
    mmCompare->setText(QStringLiteral("Primerjaj"));
    mmExit->setText(QStringLiteral("&Izhod"));
    spCreate->setText(QStringLiteral("Kreiraj"));
    spCompare->setText(QStringLiteral("Primerjaj"));
    spOpen->setText(QStringLiteral("Primerjalna"));
    spDest->setText(QStringLiteral("Trenutna"));
    btCreateScript->setText(QStringLiteral("Kreiraj"));
    spSave->setText(QStringLiteral("Shrani"));
    const std::pair<const char*, const char*> texts[] = { { "laSource", "Prava:" }, { "laOriginal", "Trenutna:" },
        { "laFileSource", "Datoteka:" }, { "laFileDest", "Datoteka:" }, { "laUser", "Upor:" }, { "laName", "Ime:" },
        { "laType", "Tip:" } };
    for (const auto& [name, text] : texts)
        for (QLabel* l : labels)
            if (l->objectName() == QLatin1String(name))
                l->setText(QString::fromUtf8(text));
    btCompare->setText(QStringLiteral("&Primerjaj"));
    btSaveDiff->setText(QStringLiteral("Shrani razlike"));
    btSaveDiff->setToolTip(QStringLiteral("&Shrani razlike"));
}

void TfmCmpStru::message(const QString& text)
{
    if (pAuto) {
        // Nobody waits for a dialog in an unattended run.
        std::fprintf(stderr, "%s\n", qPrintable(QStringLiteral("COMPARE: ") + text));
        return;
    }
    shell::LocalMessageDlg(text, shell::MsgDlgType::mtInformation, shell::MsgDlgBtn::mbOK, 0,
        fm ? fm->currLanguage : QStringLiteral("ANG"));
}

void TfmCmpStru::fail(const QString& text)
{
    if (!pAuto) {
        shell::LocalMessageDlg(text, shell::MsgDlgType::mtError, shell::MsgDlgBtn::mbOK, 0,
            fm ? fm->currLanguage : QStringLiteral("ANG"));
        return;
    }
    pFailed = true;
    pFailText = text;
    message(text);
    if (!pErrorFile.isEmpty()) {
        QFile f(pErrorFile);
        // The runner's error file collects the failures of the whole run: added to, never overwritten.
        if (f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
            f.write((QStringLiteral("COMPARE: ") + text + QLatin1Char('\n')).toUtf8());
    }
    if (fm && fm->exitStatus == 0)
        fm->exitStatus = 1;
}

void TfmCmpStru::showPage(QWidget* page, const QString& kind)
{
    pcMain->setCurrentWidget(page);
    pcMain->show();
    laKind->setText(kind);
}

QString TfmCmpStru::chooseFile(bool save, const QString& filter, const QString& suffix)
{
    QFileDialog dlg(this);
    dlg.setObjectName(save ? QStringLiteral("dlgSave") : QStringLiteral("dlgOpen"));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setNameFilter(filter);
    dlg.setDefaultSuffix(suffix);
    if (fm)
        dlg.setDirectory(fm->CurrentCheckInitDir);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    const QString file = dlg.selectedFiles().first();
    if (fm)
        fm->CurrentCheckInitDir = fm->FileDirName(file).directory;
    return file;
}

void TfmCmpStru::btCreateScriptClick()
{
    meTemp->clear();
    meTemp->hide();
    laStatus->setText(nizCr);
    QCoreApplication::processEvents();
    if (!fm || !fm->osOracle || !fm->osOracle->connected())
        return;
    const QString type = cbType->currentText() == QLatin1String("ALL") ? QString() : cbType->currentText();
    QStringList lines;
    try {
        db::Query q(fm->osOracle);
        q.setSql(QStringLiteral("begin\r\n  VEXO_UTIL.PCKSTRUKTURE.GETALLSTRUCTURE(:owner,:name,:type);\r\nend;"));
        for (const auto& [name, value] : { std::pair { "owner", edUser->text() }, std::pair { "name", edName->text() },
                 std::pair { "type", type } }) {
            q.declareVariable(QString::fromLatin1(name), db::BindType::String);
            q.setVariable(QString::fromLatin1(name), value);
        }
        q.execute();
        laStatus->setText(nizPrep);
        QCoreApplication::processEvents();
        db::Query next(fm->osOracle);
        next.setSql(QStringLiteral("begin\r\n  :line := VEXO_UTIL.PCKSTRUKTURE.GETFROMTABLE;\r\nend;"));
        next.declareVariable(QStringLiteral("line"), db::BindType::String, db::BindDirection::Out);
        int calls = 0;
        lines = deploy::readStructureDump([&]() -> std::optional<QString> {
            next.execute();
            // The window stays alive during a long dump.
            if (++calls % 200 == 0)
                QCoreApplication::processEvents();
            const QVariant v = next.getVariable(QStringLiteral("line"));
            return v.isNull() ? std::nullopt : std::optional<QString>(v.toString());
        });
    } catch (const db::OracleError& e) {
        laStatus->clear();
        fail(e.message());
        return;
    }
    meTemp->setPlainText(lines.join(QLatin1Char('\n')));
    spSave->setEnabled(true);
    laStatus->clear();
    meTemp->show();
}

bool TfmCmpStru::spSaveClick()
{
    const QString file = pAuto ? edfDest->text()
                               : chooseFile(true, QStringLiteral("SFG (*.sfg)"), QStringLiteral("sfg"));
    if (file.isEmpty())
        return false;
    QString error;
    if (!develop::writeTextFile(file, meTemp->toPlainText(), develop::TextFileFormat {}, &error)) {
        fail(error);
        return false;
    }
    pcMain->hide();
    laKind->clear();
    spSave->setEnabled(false);
    return true;
}

bool TfmCmpStru::loadFile(bool reference)
{
    QString path;
    if (pAuto) {
        path = reference ? edfSource->text() : edfDest->text();
    } else {
        path = chooseFile(false, QStringLiteral("SFG (*.sfg)"), QStringLiteral("sfg"));
        if (path.isEmpty())
            return false;
        const QString name = fm ? fm->FileDirName(path).fileName : path;
        (reference ? edfSource : edfDest)->setText(name);
        (reference ? edFileSource : edFileDest)->setText(name);
    }
    (reference ? fullSource : fullDest) = path;
    shell::SqlEditor* editor = reference ? meSource : meDest;
    if (!editor->loadFile(path)) {
        fail(editor->errorString());
        return false;
    }
    return true;
}

bool TfmCmpStru::loadSource()
{
    return loadFile(true);
}

bool TfmCmpStru::loadDest()
{
    return loadFile(false);
}

void TfmCmpStru::btCompareClick()
{
    bError.clear();
    sgError->setRowCount(2);
    sgError->clearContents();
    sgError->setRowHidden(0, true); // the title row: the header shows the titles
    meError->clear();
    QCoreApplication::processEvents();
    const QString current = meDest->text();
    if (current.size() < 3) {
        message(nizEmpDest);
        return;
    }
    const QString reference = meSource->text();
    if (reference.size() < 3) {
        message(nizEmpSrc);
        return;
    }
    deploy::StructCompareTexts texts;
    texts.neObstaja = nizNeObstaja;
    texts.niEnako = nizNiEnako;
    const deploy::StructCompareResult r
        = deploy::compareStructures(deploy::textLines(reference), deploy::textLines(current), texts);
    bError = r.differences;
    if (r.tooMany)
        message(nizToMuch);
    if (!bError.isEmpty()) {
        sgError->setRowCount(static_cast<int>(bError.size()) + 1);
        sgError->setRowHidden(0, true);
        for (int i = 0; i < bError.size(); ++i) {
            const deploy::StructDifference& d = bError.at(i);
            sgError->setItem(i + 1, 0, new QTableWidgetItem(d.tip));
            sgError->setItem(i + 1, 1, new QTableWidgetItem(d.ime));
            sgError->setItem(i + 1, 2, new QTableWidgetItem(deploy::differenceSummary(d.napaka)));
        }
        btSaveDiff->setEnabled(true);
        pNapake = true;
    } else if (!pAuto) {
        message(nizNiNapak);
    }
}

QStringList TfmCmpStru::header()
{
    if (!fm || !fm->osOracle || !fm->osOracle->connected())
        return {};
    try {
        return fm->userVhodniParametri();
    } catch (const db::OracleError& e) {
        return { e.message() };
    }
}

bool TfmCmpStru::btSaveDiffClick()
{
    // Cancelling the dialog writes nothing; the window stays.
    const QString file = pAuto ? pShraniDir : chooseFile(true, QStringLiteral("DFR (*.dfr)"), QStringLiteral("dfr"));
    if (file.isEmpty())
        return false;
    QString error;
    const QStringList lines = deploy::differenceFileLines(header(), bError);
    if (!develop::writeTextFile(file, lines.join(QStringLiteral("\r\n")), develop::TextFileFormat {}, &error)) {
        fail(error);
        return false;
    }
    pcMain->hide();
    laKind->clear();
    spSave->setEnabled(false);
    btSaveDiff->setEnabled(false);
    return true;
}

void TfmCmpStru::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (pAuto && !started) {
        started = true;
        tiStart->start();
    }
}

void TfmCmpStru::tiStartTimer()
{
    tiStart->stop();
    edUser->setText(QStringLiteral("VOXA"));
    edName->setText(QStringLiteral("%"));
    cbType->setCurrentText(QStringLiteral("TABLE"));
    showPage(tabCreate, nizCrSrc);
    // Every step stops the sequence at its failure, which fail() has reported; the window closes in any case, so an
    // unattended run never waits here.
    const bool ok = [&] {
        btCreateScriptClick();
        if (pFailed || !spSave->isEnabled())
            return false;
        if (!spSaveClick())
            return false;
        showPage(tabCompare, nizCmp);
        if (!loadSource() || !loadDest())
            return false;
        btCompareClick();
        if (meDest->text().size() < 3 || meSource->text().size() < 3) {
            fail(meDest->text().size() < 3 ? nizEmpDest : nizEmpSrc);
            return false;
        }
        return !pNapake || btSaveDiffClick();
    }();
    if (!ok && !pFailed)
        fail(QStringLiteral("the comparison did not end"));
    close();
}
