// The worksheet's editing aids: the editor's key and popup macros from the main window's macro tables, the picture
// and text loader on a large-object cell of the result, and the memo under the grid bound to a column of the
// current record. The logic lives in macrokeys, lobcell and datamemo; this wires it to the window's controls.
#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "develop/datamemo.h"
#include "develop/lobcell.h"
#include "develop/macrokeys.h"
#include "develop/workshet.h"
#include "shell/Main.h"
#include "shell/getpict.h"
#include "shell/sqleditor.h"
#include "shell/themedgrid.h"

#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <memory>

namespace {

// Hands a double click on a cell of a view to the window before the view starts its cell editor: a cell the window
// takes (a large object) is not edited as text as well.
class CellDoubleClick : public QObject {
public:
    CellDoubleClick(QAbstractItemView* view, std::function<bool(const QModelIndex&)> handler)
        : QObject(view)
        , view(view)
        , handler(std::move(handler))
    {
        view->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                const QModelIndex index = view->indexAt(mouse->position().toPoint());
                if (index.isValid() && handler(index))
                    return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAbstractItemView* view;
    std::function<bool(const QModelIndex&)> handler;
};

} // namespace

void TfmWorkSheet::buildEditingAids()
{
    // Key events reach the filters one by one: a keyboard that repeats a held key must be seen repeating, not as
    // one event carrying several characters.
    meWork->setAttribute(Qt::WA_KeyCompression, false);
    // Ctrl+D and Ctrl+T are the worksheet's commands when the key goes up; the editor's own commands on these keys
    // (duplicate the selection, swap lines) would change the text first.
    for (const int key : { (Qt::CTRL | Qt::Key_D).toCombined(), (Qt::CTRL | Qt::Key_T).toCombined() }) {
        for (QsciCommand* command : meWork->standardCommands()->commands()) {
            if (command->key() == key)
                command->setKey(0);
            if (command->alternateKey() == key)
                command->setAlternateKey(0);
        }
    }

    pmMacro = new QMenu(this);
    pmMacro->setObjectName(QStringLiteral("pmMacro"));
    meWork->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(meWork, &QWidget::customContextMenuRequested, this, &TfmWorkSheet::showEditorPopup);

    dataMemo = new develop::DataAwareMemo(dbmMemo, quDynWork, this);
    connect(dataMemo, &develop::DataAwareMemo::failed, this,
        [this](const QString& message) { QMessageBox::warning(this, windowTitle(), message); });
    new CellDoubleClick(dbgSelect, [this](const QModelIndex& index) { return lobCellDoubleClick(index); });

    if (!mainWindow)
        return;
    mainWindow->preberiMacroTipke(
        this, pmMacro, [this](QAction* item) { popupMacroClick(int(pmMacro->actions().indexOf(item))); });
    macroTimer.start();
    develop::MacroKeyFilter::Actions actions;
    actions.insert = [this](const QString& text) { insertMacroText(mainWindow->prepareInsertTemplate(false, text)); };
    actions.clearEditor = [this] { meWork->clear(); };
    actions.largeRollbackSegment = [this] {
        meWork->setText(QStringLiteral("SET TRANSACTION USE ROLLBACK SEGMENT ") + mainWindow->currLargeRBName);
    };
    macroKeys = new develop::MacroKeyFilter(mainWindow->macroTables, meWork, std::move(actions),
        [this] { return macroClock ? macroClock() : macroTimer.elapsed(); });
}

void TfmWorkSheet::insertMacroText(const QString& text)
{
    // Macro texts break their lines with CR (the main window's p_newLine) or CR LF; the editor's lines end with
    // CR LF, and a statement sent from it must not carry lines of both kinds.
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    meWork->insertAtCaret(t);
}

void TfmWorkSheet::popupMacroClick(int k)
{
    if (!mainWindow || k < 0 || k >= mainWindow->macroTables.stMacro.size())
        return;
    insertMacroText(mainWindow->prepareInsertTemplate(true, mainWindow->brezNL(mainWindow->macroTables.stMacro.at(k))));
}

void TfmWorkSheet::showEditorPopup(const QPoint& pos)
{
    // The macros first, then the editor's own commands (undo, cut, copy, paste, select all).
    std::unique_ptr<QMenu> menu(meWork->createStandardContextMenu());
    if (!menu)
        menu = std::make_unique<QMenu>();
    const QList<QAction*> macros = pmMacro->actions();
    if (!macros.isEmpty()) {
        QAction* first = menu->actions().value(0);
        menu->insertActions(first, macros);
        if (first)
            menu->insertSeparator(first);
    }
    menu->exec(meWork->viewport()->mapToGlobal(pos));
}

bool TfmWorkSheet::lobCellDoubleClick(const QModelIndex& index)
{
    if (running() || !quDynWork->active())
        return false;
    std::unique_ptr<shell::TfmGetPict> loader = develop::makeLobLoader(this, *quDynWork, dbgSelect->dataModel(), index);
    if (!loader)
        return false;
    // The window owns the loader here: exec() must not free it a second time.
    loader->setAttribute(Qt::WA_DeleteOnClose, false);
    // A result with cached updates whose query selects no ROWID of one table cannot take the file either.
    loader->popravljanje = quDynWork->cachedUpdates() && quDynWork->editable();
    loader->exec();
    followTransaction();
    return true;
}
