// The PL/SQL editor's window: its layout and texts, creation and closing, the compile run and the error list. Files,
// the recent list, templates, macros, the keyword finder and the tools panel are in editpl_files.cpp.
#include "develop/editpl.h"

#include "db/dataset.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "develop/errors.h"
#include "develop/worksheet_run.h"
#include "shell/Main.h"
#include "shell/localmessagedlg.h"
#include "shell/pendingwork.h"
#include "shell/sqleditor.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <Qsci/qscilexer.h>

#include <cstdio>

std::function<void(QWidget*, const QString&, const QString&, bool)> TfmEditPL::tableWindows;

namespace {

constexpr int designedWidth = 620;
constexpr int designedHeight = 560;
constexpr int errorPanelHeight = 100;

QToolButton* speedButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon, const QString& text = {})
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoRaise(true);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(18, 18));
    if (!text.isEmpty()) {
        b->setText(text);
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    b->setMinimumHeight(28);
    return b;
}

QFrame* separator(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

TfmEditPL::TfmEditPL(TfmMain* main, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , mainWindow(main)
{
    osOracle = main ? main->osOracle : nullptr;
    buildLayout();
    buildToolsPanel();
    FormCreate();
    buildMacros();
    // A stored template waits in the main session's transaction until someone ends it.
    shell::registerPendingWork(this, [this](const db::Session& session) {
        if (!templatePending || osOracle != &session)
            return QString();
        if (!session.inTransaction()) {
            templatePending = false;
            return QString();
        }
        const bool slo = mainWindow && mainWindow->currLanguage == QLatin1String("SLO");
        return windowTitle() + (slo ? QStringLiteral(": neshranjena predloga") : QStringLiteral(": template not committed"));
    });
}

TfmEditPL::~TfmEditPL() = default;

// ---- layout

void TfmEditPL::buildLayout()
{
    setObjectName(QStringLiteral("fmEditPL"));
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    paEdit = new QWidget(this);
    paEdit->setObjectName(QStringLiteral("paEdit"));
    auto* edit = new QVBoxLayout(paEdit);
    edit->setContentsMargins(4, 2, 4, 2);
    edit->setSpacing(3);
    outer->addWidget(paEdit, 1);

    paTop = new QWidget(paEdit);
    paTop->setObjectName(QStringLiteral("paTop"));
    auto* top = new QHBoxLayout(paTop);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(1);
    spLoad = speedButton(paTop, "spLoad", QStyle::SP_DialogOpenButton);
    spNew = speedButton(paTop, "spNew", QStyle::SP_FileIcon);
    spSave = speedButton(paTop, "spSave", QStyle::SP_DialogSaveButton);
    spSaveAs = speedButton(paTop, "spSaveAs", QStyle::SP_DriveFDIcon);
    spCompile = speedButton(paTop, "spCompile", QStyle::SP_MediaPlay, QStringLiteral("Compile"));
    QFont bold = spCompile->font();
    bold.setBold(true);
    spCompile->setFont(bold);
    spErrors = speedButton(paTop, "spErrors", QStyle::SP_MessageBoxWarning);
    spDebug = speedButton(paTop, "spDebug", QStyle::SP_FileDialogInfoView);
    spDebug->setCheckable(true);
    cbTranslate = new QCheckBox(QStringLiteral("Menja"), paTop);
    cbTranslate->setObjectName(QStringLiteral("cbTranslate"));
    spFindEQ = speedButton(paTop, "spFindEQ", QStyle::SP_ArrowDown);
    spDataBase = speedButton(paTop, "spDataBase", QStyle::SP_FileDialogDetailedView);
    spExit = speedButton(paTop, "spExit", QStyle::SP_DialogCloseButton);
    edStatus = new QLineEdit(paTop);
    edStatus->setObjectName(QStringLiteral("edStatus"));
    edStatus->setReadOnly(true);
    edStatus->setFocusPolicy(Qt::NoFocus);
    edStatus->setAlignment(Qt::AlignCenter);
    edStatus->setFixedWidth(64);
    edStatus->setStyleSheet(QStringLiteral("QLineEdit { background: silver; color: red; font-weight: bold; }"));
    for (QWidget* w : { static_cast<QWidget*>(spLoad), static_cast<QWidget*>(spNew), static_cast<QWidget*>(spSave),
             static_cast<QWidget*>(spSaveAs) })
        top->addWidget(w);
    top->addWidget(separator(paTop));
    top->addWidget(spCompile);
    top->addWidget(spErrors);
    top->addWidget(spDebug);
    top->addSpacing(4);
    top->addWidget(cbTranslate);
    top->addWidget(separator(paTop));
    top->addWidget(spFindEQ);
    top->addWidget(spDataBase);
    top->addStretch();
    top->addWidget(edStatus);
    top->addSpacing(6);
    top->addWidget(spExit);
    edit->addWidget(paTop);

    // The panel behind the editor shows its caption while the editor is hidden.
    paEditor = new QWidget(paEdit);
    paEditor->setObjectName(QStringLiteral("paEditor"));
    auto* stack = new QGridLayout(paEditor);
    stack->setContentsMargins(0, 0, 0, 0);
    laHosting = new QLabel(QStringLiteral("Urejanje teksta za hosting"), paEditor);
    laHosting->setObjectName(QStringLiteral("laHosting"));
    laHosting->setAlignment(Qt::AlignCenter);
    laHosting->setStyleSheet(QStringLiteral("color: olive; font-size: 20pt; font-weight: bold;"));
    meEdit = new shell::SqlEditor(paEditor);
    meEdit->setObjectName(QStringLiteral("meEdit"));
    stack->addWidget(laHosting, 0, 0);
    stack->addWidget(meEdit, 0, 0);
    edit->addWidget(paEditor, 1);

    // The recent list lies over the editor while it is shown.
    lbHistFile = new QListWidget(paEditor);
    lbHistFile->setObjectName(QStringLiteral("lbHistFile"));
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    lbHistFile->setFont(fixed);
    lbHistFile->hide();
    lbHistFile->installEventFilter(this);
    lbHistFile->setContextMenuPolicy(Qt::CustomContextMenu);
    pmHistFile = new QMenu(this);
    pmHistFile->setObjectName(QStringLiteral("pmHistFile"));
    miHistFileDelete = pmHistFile->addAction(QStringLiteral("Delete"));
    miHistFileDelete->setObjectName(QStringLiteral("miHistFileDelete"));
    connect(lbHistFile, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& pos) { pmHistFile->exec(lbHistFile->viewport()->mapToGlobal(pos)); });
    connect(miHistFileDelete, &QAction::triggered, this, &TfmEditPL::miHistFileDeleteClick);
    connect(lbHistFile, &QListWidget::itemDoubleClicked, this, [this] { lbHistFileDblClick(); });

    buildErrorPanel(paEdit);
    edit->addWidget(paErrors);

    auto* status = new QWidget(paEdit);
    status->setObjectName(QStringLiteral("sbEdit"));
    auto* sl = new QHBoxLayout(status);
    sl->setContentsMargins(2, 0, 2, 0);
    sbLine = new QLabel(status);
    sbLine->setObjectName(QStringLiteral("sbLine"));
    sbLine->setMinimumWidth(90);
    sbFile = new QLabel(status);
    sbFile->setObjectName(QStringLiteral("sbFile"));
    sbFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    sl->addWidget(sbLine);
    sl->addWidget(separator(status));
    sl->addWidget(sbFile, 1);
    edit->addWidget(status);

    meEdit->installEventFilter(this);
    connect(meEdit, &shell::SqlEditor::cursorPositionChanged, this, [this] { updateEditorStatus(); });
    connect(spCompile, &QToolButton::clicked, this, &TfmEditPL::spCompileClick);
    connect(spErrors, &QToolButton::clicked, this, &TfmEditPL::spErrorsClick);
    connect(spExit, &QToolButton::clicked, this, &QWidget::close);
    connect(spLoad, &QToolButton::clicked, this, &TfmEditPL::spLoadClick);
    connect(spNew, &QToolButton::clicked, this, &TfmEditPL::spNewClick);
    connect(spSave, &QToolButton::clicked, this, &TfmEditPL::spSaveClick);
    connect(spSaveAs, &QToolButton::clicked, this, [this] { spSaveAsClick(); });
    connect(spFindEQ, &QToolButton::clicked, this, &TfmEditPL::spFindEQClick);
    connect(spDataBase, &QToolButton::clicked, this, &TfmEditPL::spDataBaseClick);
}

void TfmEditPL::buildErrorPanel(QWidget* parent)
{
    paErrors = new QWidget(parent);
    paErrors->setObjectName(QStringLiteral("paErrors"));
    auto* l = new QVBoxLayout(paErrors);
    l->setContentsMargins(0, 2, 0, 0);
    l->setSpacing(2);
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    laStErr = new QLabel(QStringLiteral("Errors:"), paErrors);
    laStErr->setObjectName(QStringLiteral("laStErr"));
    laAllErr = new QLabel(paErrors);
    laAllErr->setObjectName(QStringLiteral("laAllErr"));
    laAllErr->setMinimumWidth(28);
    QFont bold = laAllErr->font();
    bold.setBold(true);
    laAllErr->setFont(bold);
    spbNazaj = new QToolButton(paErrors);
    spbNazaj->setObjectName(QStringLiteral("spbNazaj"));
    spbNazaj->setArrowType(Qt::LeftArrow);
    btErrCodeNr = new QPushButton(paErrors);
    btErrCodeNr->setObjectName(QStringLiteral("btErrCodeNr"));
    btErrCodeNr->setFixedWidth(40);
    btErrCodeNr->setFocusPolicy(Qt::NoFocus);
    spbNaprej = new QToolButton(paErrors);
    spbNaprej->setObjectName(QStringLiteral("spbNaprej"));
    spbNaprej->setArrowType(Qt::RightArrow);
    laError = new QLabel(paErrors);
    laError->setObjectName(QStringLiteral("laError"));
    laError->setFont(bold);
    btCloseErrorScreen = new QPushButton(QStringLiteral("&Close Errors"), paErrors);
    btCloseErrorScreen->setObjectName(QStringLiteral("btCloseErrorScreen"));
    row->addWidget(laStErr);
    row->addWidget(laAllErr);
    row->addWidget(spbNazaj);
    row->addWidget(btErrCodeNr);
    row->addWidget(spbNaprej);
    row->addSpacing(8);
    row->addWidget(laError, 1);
    row->addWidget(btCloseErrorScreen);
    l->addLayout(row);
    meError = new QPlainTextEdit(paErrors);
    meError->setObjectName(QStringLiteral("meError"));
    meError->setReadOnly(true);
    meError->setStyleSheet(QStringLiteral("QPlainTextEdit { color: #b00000; }"));
    l->addWidget(meError, 1);
    paErrors->setFixedHeight(0);
    paErrors->hide();
    connect(spbNazaj, &QToolButton::clicked, this, [this] { showError(-1); });
    connect(spbNaprej, &QToolButton::clicked, this, [this] { showError(1); });
    connect(btErrCodeNr, &QPushButton::clicked, this, [this] { showError(0); });
    connect(btCloseErrorScreen, &QPushButton::clicked, this, &TfmEditPL::btCloseErrorScreenClick);
}

// ---- creation, texts, closing

void TfmEditPL::FormCreate()
{
    int height = designedHeight;
    if (mainWindow && mainWindow->currEditWidth > 0 && mainWindow->currEditHeight > 0)
        height = mainWindow->currEditHeight;
    else if (const QScreen* s = screen(); s && s->geometry().height() >= 1024)
        height += 300;
    setTexts();
    stNapak = 0;
    trenutnaNapaka = 1;
    AutoCompile = false;
    showErrorPanel(false);
    paTools->setFixedWidth(0);
    paTools->hide();
    edStatus->clear();
    meEdit->clear();
    meCompare->clear();
    CurrentFile.clear();
    currCont.clear();
    SirinaAll = designedWidth;
    SirinaLeft = 480;
    resize(designedWidth, height);
    pozicijaLeft = x();
    dialogDir = mainWindow ? mainWindow->CurrentEditInitDir : QString();
    pcTools->setCurrentWidget(tsStructure);
    applyEditorFont(meEdit);
    sCaption = windowTitle();
    if (mainWindow)
        sCaption += QStringLiteral("  (") + mainWindow->connUser + QLatin1Char('@') + mainWindow->connServer
            + QLatin1Char(')');
    setWindowTitle(sCaption);
    cbTranslate->setChecked(mainWindow && mainWindow->currMoreInstall);
    updateEditorStatus();
}

void TfmEditPL::applyEditorFont(shell::SqlEditor* editor)
{
    // The configured font when the system has it; otherwise the editor keeps its fixed-width font.
    const QString family = mainWindow ? mainWindow->currEditPLFont : QString();
    if (family.isEmpty() || !QFontDatabase::hasFamily(family) || !editor->lexer())
        return;
    QFont font = editor->lexer()->defaultFont();
    font.setFamily(family);
    editor->lexer()->setDefaultFont(font);
    editor->lexer()->setFont(font);
}

void TfmEditPL::setTexts()
{
    const bool slo = mainWindow && mainWindow->currLanguage == QLatin1String("SLO");
    setWindowTitle(slo ? QStringLiteral("PL/SQL Urejevalnik") : QStringLiteral("Edit PL/SQL"));
    nizVTrans = slo ? QStringLiteral("Odprta transakcija. Prevajanje ni možno!")
                    : QStringLiteral("Open transaction. Compiling is not available!");
    nizNoActive = slo ? QStringLiteral("Ni aktivne datoteke!  Izberi \"SHRANI KOT\" OPCIJO")
                      : QStringLiteral("NO ACTIVE FILE!  USE \"SAVE AS\" OPTION");
    nizLine = slo ? QStringLiteral("Vrsta:") : QStringLiteral("Line:");
    nizFile = slo ? QStringLiteral("Datoteka:") : QStringLiteral("File Name:");
    neObstaja = slo ? QStringLiteral("Datoteka ne obstaja") : QStringLiteral("File does not exists");
    // The question is English in both languages, as the tool has always asked it.
    nizSaveChanges = QStringLiteral("Save Changes");
    nizTemplateGone = slo ? QStringLiteral("Predloge ni več v tabeli; shrani jo kot novo.")
                          : QStringLiteral("The template is no longer in the table; save it as a new one.");
    nizNotAvailable = slo ? QStringLiteral("To okno še ni na voljo.") : QStringLiteral("This window is not available yet.");
    laStErr->setText(slo ? QStringLiteral("Napake") : QStringLiteral("Errors:"));
    btCloseErrorScreen->setText(slo ? QStringLiteral("Zapri napake") : QStringLiteral("&Close Errors"));
    spLoad->setToolTip(slo ? QStringLiteral("Naloži") : QStringLiteral("Load"));
    spNew->setToolTip(slo ? QStringLiteral("Nova datoteka") : QStringLiteral("New"));
    spSave->setToolTip(slo ? QStringLiteral("Shrani") : QStringLiteral("Save"));
    spSaveAs->setToolTip(slo ? QStringLiteral("Shrani kot") : QStringLiteral("Save As"));
    spCompile->setToolTip(slo ? QStringLiteral("Prevedi") : QStringLiteral("Compile"));
    spCompile->setText(slo ? QStringLiteral("Prevedi") : QStringLiteral("Compile"));
    spErrors->setToolTip(slo ? QStringLiteral("Napake") : QStringLiteral("Status of objects"));
    spDataBase->setToolTip(slo ? QStringLiteral("Orodja") : QStringLiteral("Tools"));
    spExit->setToolTip(slo ? QStringLiteral("Izhod") : QStringLiteral("Exit"));
    spDebug->setToolTip(QStringLiteral("Debug"));
    cbTranslate->setToolTip(slo ? QStringLiteral("Prevedi z imeni shem trenutne instalacije")
                                : QStringLiteral("Compile with the schema names of the current installation"));
    spFindEQ->setToolTip(QStringLiteral("Išči \"dvojčka\" - pri BEGIN.LOOP dodaj še nekaj unikatnega v vrstici"));
    spbNazaj->setToolTip(slo ? QStringLiteral("Prejšnja napaka") : QStringLiteral("Previous error"));
    spbNaprej->setToolTip(slo ? QStringLiteral("Naslednja napaka") : QStringLiteral("Next error"));
    miHistFileDelete->setText(slo ? QStringLiteral("Briši") : QStringLiteral("Delete"));
    if (!paTools)
        return;
    spUtilStructure->setToolTip(slo ? QStringLiteral("Tabele(strukture)") : QStringLiteral("Tables (structure)"));
    spUtilTemplate->setToolTip(slo ? QStringLiteral("Predefinirani teksti") : QStringLiteral("Template"));
    spUtilFile->setToolTip(slo ? QStringLiteral("Odpri datototeko") : QStringLiteral("Open File"));
    spUtilBack->setToolTip(slo ? QStringLiteral("Zapri orodja") : QStringLiteral("Close tools"));
    spInsert->setToolTip(slo ? QStringLiteral("Preberi") : QStringLiteral("Import"));
    laUser->setText(slo ? QStringLiteral("Upor.:") : QStringLiteral("User:"));
    laTable->setText(slo ? QStringLiteral("Tabela:") : QStringLiteral("Table:"));
    laOpis->setText(slo ? QStringLiteral("Opis:") : QStringLiteral("Description:"));
    laTEmplate->setText(slo ? QStringLiteral("&Predloga") : QStringLiteral("Template:"));
    btConstraints->setText(slo ? QStringLiteral("Konstrainti") : QStringLiteral("Table construct."));
    btRef->setText(slo ? QStringLiteral("Reference") : QStringLiteral("Table Ref."));
    btNew->setText(slo ? QStringLiteral("&Nov") : QStringLiteral("&New"));
    btUpdate->setText(slo ? QStringLiteral("&Popravi") : QStringLiteral("&Update"));
    btCopy->setText(slo ? QStringLiteral("&Kopiraj") : QStringLiteral("&Copy"));
    btCancel->setText(slo ? QStringLiteral("p&Rekini") : QStringLiteral("Cancel"));
    btSaveTemplate->setText(slo ? QStringLiteral("&Shrani") : QStringLiteral("&Save"));
    btFindTpl->setToolTip(slo ? QStringLiteral("Poišči predlogo") : QStringLiteral("Find template"));
    SpeedButton1->setToolTip(slo ? QStringLiteral("Odpri datototeko") : QStringLiteral("Open File"));
    // The two table windows come from another module; until it is there the buttons say so and stay off.
    for (QPushButton* b : { btConstraints, btRef }) {
        b->setEnabled(bool(tableWindows));
        b->setToolTip(tableWindows ? QString() : nizNotAvailable);
    }
}

void TfmEditPL::closeEvent(QCloseEvent* event)
{
    if (mainWindow) {
        mainWindow->currEditHeight = height();
        mainWindow->currEditWidth = width() - 140;
    }
    if (compiling || !unsavedChangesTest()) {
        event->ignore();
        return;
    }
    event->accept();
}

void TfmEditPL::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !lbHistFile->isVisible())
        meEdit->setFocus();
    QWidget::changeEvent(event);
}

bool TfmEditPL::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == meEdit) {
        const QEvent::Type type = event->type();
        if (type == QEvent::KeyPress || type == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
            const bool compile = key->key() == Qt::Key_F9
                || (mods == Qt::ControlModifier && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter));
            if (compile) {
                event->accept();
                if (type == QEvent::KeyPress && !key->isAutoRepeat())
                    QMetaObject::invokeMethod(this, &TfmEditPL::spCompileClick, Qt::QueuedConnection);
                return true;
            }
        }
        if (type == QEvent::KeyRelease || type == QEvent::MouseButtonRelease)
            updateEditorStatus();
    } else if (watched == lbHistFile) {
        if (event->type() == QEvent::FocusOut) {
            // The list goes when the user leaves it, not while its own popup menu is up.
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
                hideRecentList();
        } else if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                lbHistFileDblClick();
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                hideRecentList();
                return true;
            }
        }
    } else if (watched == meCompare && event->type() == QEvent::MouseButtonRelease) {
        sbCompareLine->setText(nizLine + QLatin1Char(' ') + QString::number(meCompare->cursorLine()));
    }
    return QWidget::eventFilter(watched, event);
}

void TfmEditPL::updateEditorStatus()
{
    sbLine->setText(nizLine + QLatin1Char(' ') + QString::number(meEdit->cursorLine()));
    sbFile->setText(nizFile + QLatin1Char(' ') + CurrentFile);
}

void TfmEditPL::message(const QString& text)
{
    // An unattended run has no person to read a box.
    if (mainWindow && mainWindow->declRunParam) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return;
    }
    shell::LocalMessageDlg(text, shell::MsgDlgType::mtInformation, shell::MsgDlgBtn::mbOK, 0,
        mainWindow ? mainWindow->currLanguage : QString());
}

// ---- compilation

void TfmEditPL::showStatus(const QString& status)
{
    edStatus->setText(status);
}

void TfmEditPL::showErrorPanel(bool on)
{
    paErrors->setFixedHeight(on ? errorPanelHeight : 0);
    paErrors->setVisible(on);
}

bool TfmEditPL::confirmCompile()
{
    if (mainWindow && mainWindow->SessionInTransaction()) {
        message(nizVTrans);
        return false;
    }
    // The statements are DDL, which commits the main session: other windows' work there is asked about first.
    return !mainWindow || mainWindow->confirmMainSessionEnd(this, spCompile->toolTip());
}

bool TfmEditPL::debugDisplay(const develop::CompileBlock& block)
{
    // The statement as it goes to the server, at most its first 40 lines.
    QStringList lines = block.text.split(QStringLiteral("\r\n"));
    if (lines.size() > 40) {
        lines = lines.mid(0, 40);
        lines << QStringLiteral("...");
    }
    message(QStringLiteral("Debug (") + QString::number(block.firstLine + 1) + QStringLiteral("):\n")
        + lines.join(QLatin1Char('\n')));
    return true;
}

void TfmEditPL::spCompileClick()
{
    if (compiling || !confirmCompile())
        return;
    compiling = true;
    spCompile->setEnabled(false);
    edStatus->clear();
    stNapak = 0;
    ListaNapak.clear();
    showErrorPanel(false);
    meEdit->clearErrorMark();
    showStatus(QStringLiteral("COMP"));
    QCoreApplication::processEvents();

    const QStringList editorLines = meEdit->textLines();
    QStringList sentLines = editorLines;
    const bool translate = cbTranslate->isChecked() && mainWindow;
    if (translate) {
        // The substituted text is compiled; the editor keeps the text of the file.
        QString text = mainWindow->zamenjave(editorLines.join(QStringLiteral("\r\n")), QStringLiteral("SKRIPTA"));
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        sentLines = text.split(QLatin1Char('\n'));
        if (sentLines.size() != editorLines.size())
            sentLines = editorLines;
    }

    QString schema = mainWindow ? mainWindow->connUser : QString();
    if (osOracle && osOracle->connected()) {
        try {
            db::Query q(osOracle);
            q.setSql(QStringLiteral("select sys_context('USERENV','CURRENT_SCHEMA') from dual"));
            q.execute();
            if (!q.eof() && !q.fieldIsNull(0))
                schema = q.field(0).toString();
        } catch (const db::OracleError&) {
            // The connected user then stands for the current schema.
        }
    }

    develop::CompileOutcome outcome;
    if (osOracle) {
        develop::CompileHooks hooks;
        hooks.beforeSend = [this](const develop::CompileBlock& block) {
            return !spDebug->isChecked() || debugDisplay(block);
        };
        hooks.executed = [this](const develop::CompileBlock&) {
            spDebug->setChecked(false);
            templatePending = false; // the DDL committed it
        };
        hooks.refused = [this](const develop::CompileBlock&, const db::OracleError& e) {
            showStatus(QStringLiteral("NOK"));
            spCompile->setEnabled(true);
            message(e.message());
        };
        outcome = develop::compileLines(*osOracle, editorLines, sentLines, schema, ListaNapak, hooks);
    }
    if (!outcome.lastOwner.isEmpty())
        lastnik = outcome.lastOwner;
    stNapak = ListaNapak.size();
    compiling = false;
    spCompile->setEnabled(true);
    if (stNapak > 0) {
        laAllErr->setText(QString::number(stNapak));
        showErrorPanel(true);
        trenutnaNapaka = 1;
        showError(0);
        showStatus(QStringLiteral("NOK"));
        if (translate) {
            // The text as it was compiled, for a look at what the substitution made of it.
            shell::TextEncoding encoding = meEdit->encoding();
            QString error;
            if (!shell::writeTextFile(QDir::current().filePath(QStringLiteral("ORNAK")), sentLines, encoding, &error))
                message(error);
        }
    } else if (outcome.refused == 0) {
        showStatus(QStringLiteral("OK"));
        if (AutoCompile) {
            AutoCompile = false;
            close();
        }
    }
}

void TfmEditPL::showError(int d)
{
    if (stNapak <= 0)
        return;
    trenutnaNapaka = qBound(1, trenutnaNapaka + d, stNapak);
    const develop::TNapake& e = ListaNapak.at(trenutnaNapaka - 1);
    meError->setPlainText(QStringLiteral("%1/%2   %3").arg(e.vrsta).arg(e.kolona).arg(e.napaka));
    laError->setText(e.objekt);
    const QString line = meEdit->textLines().value(e.vrsta - 1);
    meEdit->setErrorMark(e.vrsta, e.kolona, develop::errorTokenLength(line, e.kolona));
    meEdit->setCursorLineColumn(e.vrsta, e.kolona);
    meEdit->setFocus();
    btErrCodeNr->setText(QString::number(trenutnaNapaka));
    spbNazaj->setEnabled(trenutnaNapaka != 1);
    spbNaprej->setEnabled(trenutnaNapaka != stNapak);
    updateEditorStatus();
}

void TfmEditPL::btCloseErrorScreenClick()
{
    showErrorPanel(false);
    meEdit->clearErrorMark();
    meEdit->setFocus();
}

void TfmEditPL::spErrorsClick()
{
    if (mainWindow)
        develop::openErrorsWindow(*mainWindow);
}

TfmEditPL* openEditPL(TfmMain& main)
{
    static int counter = 0;
    auto* editor = new TfmEditPL(&main);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    ++counter;
    editor->setObjectName(counter == 1 ? QStringLiteral("fmEditPL") : QStringLiteral("fmEditPL_%1").arg(counter));
    editor->show();
    return editor;
}
