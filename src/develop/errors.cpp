#include "develop/errors.h"

#include "db/dataset.h"
#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "develop/datagrid.h"
#include "shell/Main.h"
#include "shell/gridutils.h"
#include "shell/localmessagedlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>

QPointer<TfmErrors> fmErrors;

namespace {

QToolButton* toolButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(parent->style()->standardIcon(icon));
    b->setIconSize(QSize(18, 18));
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setMinimumHeight(28);
    return b;
}

// The type of a listed object without the blanks the list adds for its display.
QString typeOf(const QString& displayed)
{
    QString t = displayed;
    if (t.endsWith(QLatin1String("     ")))
        t.chop(5);
    return t.trimmed();
}

} // namespace

TfmErrors::TfmErrors(TfmMain* main, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , mainWindow(main)
{
    osOracle = main ? main->osOracle : nullptr;
    buildLayout();
    FormCreate();
}

TfmErrors::~TfmErrors() = default;

void TfmErrors::buildLayout()
{
    setObjectName(QStringLiteral("fmErrors"));
    resize(800, 480);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 2, 4, 4);
    outer->setSpacing(4);

    auto* bar = new QHBoxLayout;
    bar->setSpacing(2);
    tbInvalid = toolButton(this, "tbInvalid", QStyle::SP_MessageBoxWarning);
    tbSP = toolButton(this, "tbSP", QStyle::SP_FileDialogDetailedView);
    tbErrors = toolButton(this, "tbErrors", QStyle::SP_MessageBoxCritical);
    tbCompile = toolButton(this, "tbCompile", QStyle::SP_MediaPlay);
    tbCompileAll = toolButton(this, "tbCompileAll", QStyle::SP_MediaSeekForward);
    tbExit = toolButton(this, "tbExit", QStyle::SP_DialogCloseButton);
    tbExit->setToolButtonStyle(Qt::ToolButtonIconOnly);
    laOwner = new QLabel(this);
    laOwner->setObjectName(QStringLiteral("laOwner"));
    edOwner = new QLineEdit(this);
    edOwner->setObjectName(QStringLiteral("edOwner"));
    edOwner->setFixedWidth(140);
    laOwner->setBuddy(edOwner);
    cbPrekini = new QCheckBox(this);
    cbPrekini->setObjectName(QStringLiteral("cbPrekini"));
    cbPrekini->setStyleSheet(QStringLiteral("QCheckBox { color: #b00000; font-weight: bold; }"));
    cbPrekini->hide();
    bar->addWidget(tbInvalid);
    bar->addWidget(tbSP);
    bar->addWidget(tbErrors);
    bar->addSpacing(10);
    bar->addWidget(tbCompile);
    bar->addWidget(tbCompileAll);
    bar->addSpacing(10);
    bar->addWidget(laOwner);
    bar->addWidget(edOwner);
    bar->addSpacing(10);
    bar->addWidget(cbPrekini);
    bar->addStretch();
    bar->addWidget(tbExit);
    outer->addLayout(bar);

    auto* body = new QHBoxLayout;
    pcPages = new QStackedWidget(this);
    pcPages->setObjectName(QStringLiteral("pcPages"));
    body->addWidget(pcPages, 1);

    tsList = new QWidget(pcPages);
    tsList->setObjectName(QStringLiteral("tsList"));
    auto* list = new QVBoxLayout(tsList);
    list->setContentsMargins(0, 0, 0, 0);
    quInvalid = new db::DataSet(osOracle, this);
    quInvalid->setObjectName(QStringLiteral("quInvalid"));
    quInvalid->setReadOnly(true);
    dbgInvalid = develop::themedDataGrid(tsList);
    dbgInvalid->setObjectName(QStringLiteral("dbgInvalid"));
    dbgInvalid->setDataSet(quInvalid);
    dbgInvalid->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgInvalid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->addWidget(dbgInvalid);
    pcPages->addWidget(tsList);

    tsErrors = new QWidget(pcPages);
    tsErrors->setObjectName(QStringLiteral("tsErrors"));
    auto* errors = new QVBoxLayout(tsErrors);
    errors->setContentsMargins(0, 0, 0, 0);
    quErrors = new db::DataSet(osOracle, this);
    quErrors->setObjectName(QStringLiteral("quErrors"));
    quErrors->setReadOnly(true);
    quErrors->setSql(QString::fromLatin1(develop::errorsQuery));
    dbgErrors = develop::themedDataGrid(tsErrors);
    dbgErrors->setObjectName(QStringLiteral("dbgErrors"));
    dbgErrors->setDataSet(quErrors);
    dbgErrors->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgErrors->setEditTriggers(QAbstractItemView::NoEditTriggers);
    meErrorText = new QPlainTextEdit(tsErrors);
    meErrorText->setObjectName(QStringLiteral("meErrorText"));
    meErrorText->setReadOnly(true);
    meErrorText->setMaximumHeight(90);
    errors->addWidget(dbgErrors, 1);
    errors->addWidget(meErrorText);
    pcPages->addWidget(tsErrors);

    paRight = new QWidget(this);
    paRight->setObjectName(QStringLiteral("paRight"));
    paRight->setFixedWidth(170);
    auto* right = new QVBoxLayout(paRight);
    right->setContentsMargins(4, 0, 0, 0);
    rgOrder = new QGroupBox(paRight);
    rgOrder->setObjectName(QStringLiteral("rgOrder"));
    auto* order = new QVBoxLayout(rgOrder);
    rbType = new QRadioButton(rgOrder);
    rbType->setObjectName(QStringLiteral("rbType"));
    rbName = new QRadioButton(rgOrder);
    rbName->setObjectName(QStringLiteral("rbName"));
    rbLastModification = new QRadioButton(rgOrder);
    rbLastModification->setObjectName(QStringLiteral("rbLastModification"));
    rbLastModification->setChecked(true);
    order->addWidget(rbType);
    order->addWidget(rbName);
    order->addWidget(rbLastModification);
    right->addWidget(rgOrder);
    laSearch = new QLabel(paRight);
    laSearch->setObjectName(QStringLiteral("laSearch"));
    edSearch = new QLineEdit(paRight);
    edSearch->setObjectName(QStringLiteral("edSearch"));
    laSearch->setBuddy(edSearch);
    cbInvalid = new QCheckBox(paRight);
    cbInvalid->setObjectName(QStringLiteral("cbInvalid"));
    right->addWidget(laSearch);
    right->addWidget(edSearch);
    right->addWidget(cbInvalid);
    btRefresh = new QPushButton(QStringLiteral("."), paRight);
    btRefresh->setObjectName(QStringLiteral("btRefresh"));
    btRefresh->setDefault(true);
    btRefresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    right->addWidget(btRefresh);
    right->addSpacing(12);
    btDropObject = new QPushButton(paRight);
    btDropObject->setObjectName(QStringLiteral("btDropObject"));
    btDropObject->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    right->addWidget(btDropObject);
    right->addStretch();
    body->addWidget(paRight);
    outer->addLayout(body, 1);

    connect(tbInvalid, &QToolButton::clicked, this, &TfmErrors::tbInvalidClick);
    connect(tbSP, &QToolButton::clicked, this, &TfmErrors::tbSPClick);
    connect(tbErrors, &QToolButton::clicked, this, &TfmErrors::tbErrorsClick);
    connect(tbCompile, &QToolButton::clicked, this, &TfmErrors::tbCompileClick);
    connect(tbCompileAll, &QToolButton::clicked, this, &TfmErrors::tbCompileAllClick);
    connect(tbExit, &QToolButton::clicked, this, &QWidget::close);
    connect(btRefresh, &QPushButton::clicked, this, &TfmErrors::btRefreshClick);
    connect(btDropObject, &QPushButton::clicked, this, &TfmErrors::btDropObjectClick);
    connect(dbgInvalid, &QAbstractItemView::doubleClicked, this, [this] {
        if (tbCompile->isEnabled())
            tbCompileClick();
    });
    for (QRadioButton* rb : { rbType, rbName, rbLastModification })
        connect(rb, &QRadioButton::toggled, this, [this](bool on) {
            if (on && currAction == QLatin1String("ALL"))
                reopenOrdered();
        });
    connect(edOwner, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int pos = edOwner->cursorPosition();
        edOwner->setText(text.toUpper());
        edOwner->setCursorPosition(pos);
    });
    connect(quErrors, &db::DataSet::currentChanged, this, [this] {
        const QVariant text
            = quErrors->active() && quErrors->recNo() > 0 ? quErrors->fieldValue(QStringLiteral("TEXT")) : QVariant();
        meErrorText->setPlainText(text.isNull() ? QString() : text.toString());
    });
}

void TfmErrors::FormCreate()
{
    setTexts();
    currAction.clear();
    tbCompile->setEnabled(false);
    sCaption = windowTitle();
    if (mainWindow)
        sCaption += QStringLiteral("  (") + mainWindow->connUser + QLatin1Char('@') + mainWindow->connServer
            + QLatin1Char(')');
    setWindowTitle(sCaption);
    if (edOwner->text().isEmpty() && mainWindow)
        edOwner->setText(mainWindow->currOwner.isEmpty() ? mainWindow->connUser : mainWindow->currOwner);
    tbInvalidClick();
}

void TfmErrors::setTexts()
{
    const bool slo = mainWindow && mainWindow->currLanguage == QLatin1String("SLO");
    nizInvalid = slo ? QStringLiteral("OBJEKTI Z NAPAKAMI") : QStringLiteral("INVALID OBJECTS");
    nizState = slo ? QStringLiteral("OBJEKTI-STANJE,ZADNJI POPRAVKI") : QStringLiteral("OBJECTS STATE");
    nizErrors = slo ? QStringLiteral("NAPAKE") : QStringLiteral("ERRORS");
    nizErrDrop = slo ? QStringLiteral("NAPAKA PRI BRISANJE OBJEKTA") : QStringLiteral("ERROR ON DROPPING");
    nizDroped = slo ? QStringLiteral("BRISAN") : QStringLiteral("DROPED");
    nizDropAsk = slo ? QStringLiteral("Brišem objekt %1?") : QStringLiteral("Drop the object %1?");
    nizCompileAsk = slo ? QStringLiteral("Prevedi") : QStringLiteral("Compile");
    setWindowTitle(slo ? QStringLiteral("Stanje PL/SQL blokov") : QStringLiteral("Status of Procedures,Functions,Triggers..."));
    const auto hint = [](QToolButton* b, const QString& text) {
        b->setToolTip(text);
        b->setText(text);
    };
    hint(tbInvalid, slo ? QStringLiteral("Objekti z napakami") : QStringLiteral("Invalid objects"));
    hint(tbSP, slo ? QStringLiteral("Status objektov") : QStringLiteral("Status of Procedures,Functions,Triggers"));
    hint(tbErrors, slo ? QStringLiteral("Napake") : QStringLiteral("User Errors"));
    hint(tbCompile, slo ? QStringLiteral("Prevedi trenuten objekt") : QStringLiteral("Compile"));
    hint(tbCompileAll, slo ? QStringLiteral("Prevedi vse objekte") : QStringLiteral("Recompile All"));
    hint(tbExit, slo ? QStringLiteral("Izhod") : QStringLiteral("Exit"));
    laOwner->setText(slo ? QStringLiteral("Lastnik:") : QStringLiteral("Owner:"));
    laSearch->setText(slo ? QStringLiteral("Išči:") : QStringLiteral("Search:"));
    btDropObject->setText(slo ? QStringLiteral("Briši objekt") : QStringLiteral("&Drop object"));
    cbPrekini->setText(slo ? QStringLiteral("Prekini") : QStringLiteral("Cancel"));
    rgOrder->setTitle(slo ? QStringLiteral("Vrstni red") : QStringLiteral("Order:"));
    rbType->setText(slo ? QStringLiteral("Tip") : QStringLiteral("type"));
    rbName->setText(slo ? QStringLiteral("Ime") : QStringLiteral("name"));
    rbLastModification->setText(slo ? QStringLiteral("Zadnji popravek") : QStringLiteral("last modification"));
    cbInvalid->setText(slo ? QStringLiteral("z napakami") : QStringLiteral("Invalid"));
}

bool TfmErrors::quiet() const
{
    return pAuto || (mainWindow && mainWindow->declRunParam);
}

void TfmErrors::message(const QString& text)
{
    if (quiet()) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return;
    }
    shell::LocalMessageDlg(text, shell::MsgDlgType::mtInformation, shell::MsgDlgBtn::mbOK, 0,
        mainWindow ? mainWindow->currLanguage : QString());
}

void TfmErrors::keyPressEvent(QKeyEvent* event)
{
    // The window's default button: Enter in the owner or search field refreshes the list.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && btRefresh->isVisible()) {
        btRefresh->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfmErrors::closeEvent(QCloseEvent* event)
{
    // A compile-all at work stops before its next object and then closes the window.
    if (atWork) {
        cbPrekini->setChecked(true);
        closeAfterWork = true;
        event->ignore();
        return;
    }
    event->accept();
}

// ---- views

QString TfmErrors::orderOfStatusView() const
{
    if (rbType->isChecked())
        return QString::fromLatin1(develop::orderByType);
    if (rbName->isChecked())
        return QString::fromLatin1(develop::orderByName);
    return QString::fromLatin1(develop::orderByTime);
}

void TfmErrors::openList(const QString& orderBy, const QString& stat, const QString& ime)
{
    listOwner = edOwner->text().trimmed().toUpper();
    listStat = stat;
    listIme = ime;
    try {
        quInvalid->close();
        quInvalid->setSql(develop::invalidListQuery(orderBy));
        quInvalid->setVariable(QStringLiteral("lastnik"), listOwner);
        quInvalid->setVariable(QStringLiteral("stat"), stat);
        quInvalid->setVariable(QStringLiteral("ime"), ime);
        quInvalid->open();
    } catch (const db::OracleError& e) {
        message(e.message());
        return;
    }
    pcPages->setCurrentWidget(tsList);
    fitColumns(dbgInvalid, quInvalid);
}

void TfmErrors::reopenOrdered()
{
    openList(orderOfStatusView(), listStat, listIme);
}

void TfmErrors::fitColumns(TThemedDBGrid* grid, db::DataSet* dataSet)
{
    // Fitted to what a person sees: the grid needs its width for the caps.
    if (dataSet->active() && isVisible() && !quiet())
        shell::AdjustGridColumns(grid, 1, 60);
}

void TfmErrors::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    fitColumns(dbgInvalid, quInvalid);
    fitColumns(dbgErrors, quErrors);
}

void TfmErrors::tbInvalidClick()
{
    openList(QString::fromLatin1(develop::orderInvalid), QStringLiteral("INVALID"), QStringLiteral("%"));
    paRight->show();
    for (QWidget* w : { static_cast<QWidget*>(rgOrder), static_cast<QWidget*>(laSearch),
             static_cast<QWidget*>(edSearch), static_cast<QWidget*>(cbInvalid), static_cast<QWidget*>(btDropObject) })
        w->hide();
    currAction = QStringLiteral("INVALID");
    setWindowTitle(nizInvalid);
    tbCompile->setEnabled(!atWork);
}

void TfmErrors::tbSPClick()
{
    openList(orderOfStatusView(), QStringLiteral("ALL"), QStringLiteral("%"));
    paRight->show();
    for (QWidget* w : { static_cast<QWidget*>(rgOrder), static_cast<QWidget*>(laSearch),
             static_cast<QWidget*>(edSearch), static_cast<QWidget*>(cbInvalid), static_cast<QWidget*>(btDropObject) })
        w->show();
    currAction = QStringLiteral("ALL");
    setWindowTitle(nizState);
    tbCompile->setEnabled(false);
}

void TfmErrors::tbErrorsClick()
{
    paRight->hide();
    try {
        quErrors->close();
        quErrors->setVariable(QStringLiteral("lastnik"), edOwner->text().trimmed().toUpper());
        quErrors->open();
    } catch (const db::OracleError& e) {
        message(e.message());
    }
    // The grid shows where each error is; the text of the current one is below it.
    static const QStringList shown
        = { QStringLiteral("NAME"), QStringLiteral("TYPE"), QStringLiteral("LINE"), QStringLiteral("POSITION") };
    for (int i = 0; i < quErrors->fieldCount(); ++i)
        dbgErrors->setColumnHidden(i, !shown.contains(quErrors->fieldName(i)));
    pcPages->setCurrentWidget(tsErrors);
    fitColumns(dbgErrors, quErrors);
    setWindowTitle(nizErrors);
    tbCompile->setEnabled(false);
}

void TfmErrors::btRefreshClick()
{
    if (currAction == QLatin1String("INVALID")) {
        tbInvalidClick();
        return;
    }
    if (currAction != QLatin1String("ALL"))
        return;
    openList(orderOfStatusView(), cbInvalid->isChecked() ? QStringLiteral("INVALID") : QStringLiteral("ALL"),
        QLatin1Char('%') + edSearch->text() + QLatin1Char('%'));
}

// ---- the listed objects

int TfmErrors::listedCount() const
{
    if (!quInvalid->active())
        return 0;
    quInvalid->fetchAll();
    return quInvalid->recordCount();
}

QVector<develop::ListedObject> TfmErrors::listedObjects() const
{
    QVector<develop::ListedObject> out;
    const int count = listedCount();
    if (count == 0)
        return out;
    const int name = quInvalid->fieldIndex(QStringLiteral("OBJECT_NAME"));
    const int type = quInvalid->fieldIndex(QStringLiteral("OBJECT_TYPE"));
    for (int row = 0; row < count; ++row)
        out.append({ listOwner, quInvalid->value(row, name).toString(), typeOf(quInvalid->value(row, type).toString()) });
    return out;
}

develop::ListedObject TfmErrors::currentObject() const
{
    if (!quInvalid->active() || quInvalid->recNo() == 0)
        return {};
    return { listOwner, quInvalid->fieldValue(QStringLiteral("OBJECT_NAME")).toString(),
        typeOf(quInvalid->fieldValue(QStringLiteral("OBJECT_TYPE")).toString()) };
}

// ---- compiling and dropping

bool TfmErrors::confirmDdl(const QString& action)
{
    // ALTER ... COMPILE and DROP commit the main session: other windows' work there is asked about first.
    return !mainWindow || mainWindow->confirmMainSessionEnd(this, action);
}

void TfmErrors::compileCurrent(const develop::ListedObject& object)
{
    lNapaka = false;
    const develop::ObjectCompile result = develop::compileObject(*osOracle, object);
    if (result.refused)
        message(result.message);
    lNapaka = result.stillInvalid;
}

void TfmErrors::tbCompileClick()
{
    const develop::ListedObject object = currentObject();
    if (atWork || !osOracle || object.name.isEmpty() || !confirmDdl(tbCompile->toolTip()))
        return;
    const int row = quInvalid->recNo();
    compileCurrent(object);
    // The list shows the object's new state; the cursor stays where it was.
    tbInvalidClick();
    if (row > 0 && listedCount() > 0)
        quInvalid->setRecNo(qMin(row, listedCount()));
}

void TfmErrors::tbCompileAllClick()
{
    if (atWork || !osOracle)
        return;
    const QVector<develop::ListedObject> objects = listedObjects();
    if (!objects.isEmpty() && !confirmDdl(tbCompileAll->toolTip()))
        return;
    atWork = true;
    for (QWidget* w : { static_cast<QWidget*>(tbInvalid), static_cast<QWidget*>(tbSP),
             static_cast<QWidget*>(tbErrors), static_cast<QWidget*>(tbCompile), static_cast<QWidget*>(tbCompileAll),
             static_cast<QWidget*>(paRight) })
        w->setEnabled(false);
    develop::CompileAllSteps steps;
    steps.cancelled = [this] { return cbPrekini->isChecked(); };
    // The window takes its messages (a tick in Cancel) every few hundredths of a second and at once after a failure,
    // when the Cancel box has just come up: painting the list after every object would cost more than compiling.
    QElapsedTimer sincePump;
    sincePump.start();
    lNapaka = false;
    int index = 0;
    steps.pump = [this, &sincePump, &index] {
        if (lNapaka || sincePump.elapsed() >= 40) {
            // The list shows the object about to be compiled.
            quInvalid->setRecNo(index + 1);
            QCoreApplication::processEvents();
            sincePump.restart();
        }
    };
    steps.compile = [this, &index](const develop::ListedObject& object) {
        ++index;
        return develop::compileObject(*osOracle, object);
    };
    steps.compiled = [this](const develop::ListedObject&, const develop::ObjectCompile& result) {
        if (result.refused)
            message(result.message);
        lNapaka = result.stillInvalid;
        if (lNapaka) {
            cbPrekini->show();
            cbPrekini->setChecked(false);
        }
    };
    develop::compileAllObjects(objects, steps);
    for (QWidget* w : { static_cast<QWidget*>(tbInvalid), static_cast<QWidget*>(tbSP),
             static_cast<QWidget*>(tbErrors), static_cast<QWidget*>(tbCompileAll), static_cast<QWidget*>(paRight) })
        w->setEnabled(true);
    atWork = false;
    tbInvalidClick();
    cbPrekini->hide();
    cbPrekini->setChecked(false);
    if (closeAfterWork)
        close();
}

void TfmErrors::btDropObjectClick()
{
    const develop::ListedObject object = currentObject();
    if (atWork || !osOracle || object.name.isEmpty())
        return;
    const QString what = object.owner + QLatin1Char('.') + object.name + QLatin1Char(' ') + object.type;
    if (shell::LocalMessageDlg(nizDropAsk.arg(what), shell::MsgDlgType::mtConfirmation, shell::MsgDlgBtn::mbYesNo, 0,
            mainWindow ? mainWindow->currLanguage : QString())
        != shell::mrYes)
        return;
    if (!confirmDdl(btDropObject->text().remove(QLatin1Char('&'))))
        return;
    try {
        db::Query quDyn(osOracle);
        quDyn.setSql(develop::dropStatement(object));
        quDyn.execute();
    } catch (const db::OracleError& e) {
        message(nizErrDrop + QLatin1Char(' ') + object.owner + QLatin1Char('.') + object.name + QLatin1Char(' ')
            + object.type + QStringLiteral("\n\n") + e.message());
        return;
    }
    message(object.owner + QLatin1Char('.') + object.name + QLatin1Char(' ') + object.type + QStringLiteral("  ")
        + nizDroped);
    // The list no longer shows what is gone.
    reopenOrdered();
}

// ---- openers and the unattended command

namespace develop {

TfmErrors* openErrorsWindow(TfmMain& main)
{
    auto* window = new TfmErrors(&main);
    window->setAttribute(Qt::WA_DeleteOnClose);
    fmErrors = window;
    window->show();
    return window;
}

bool izvediErrors(TfmMain& main, const QString& p1)
{
    main.tbErrorsClick();
    QPointer<TfmErrors> window = fmErrors;
    if (!window)
        return false;
    window->pAuto = true;
    window->edOwner->setText(errorsCommandOwner(p1, main.connUser).toUpper());
    window->tbInvalidClick();
    RecompileRounds rounds;
    rounds.reread = [&window] {
        if (!window)
            return 0;
        window->tbInvalidClick();
        return window->listedCount();
    };
    rounds.pump = [] { QCoreApplication::processEvents(); };
    rounds.compileAll = [&window] {
        if (window)
            window->tbCompileAllClick();
    };
    const bool clean = recompileInRounds(rounds);
    if (clean && window)
        window->close();
    return clean;
}

} // namespace develop
