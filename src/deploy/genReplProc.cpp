#include "deploy/genReplProc.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "develop/sqlfile.h"
#include "shell/Main.h"
#include "shell/localmessagedlg.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString quKey = QStringLiteral(
    "select con.owner,con.table_name,col.column_name,con.constraint_name,\r\n"
    "         kol.data_type,decode(kol.data_precision,null,kol.data_length,kol.data_precision) data_precision,"
    "kol.data_scale\r\n"
    " from all_CONSTRAINTS con,all_CONS_COLUMNS col, all_TAB_COLUMNS kol\r\n"
    "where con.owner=:lastnik and con.table_name=:tabela and  con.constraint_type='P'  and\r\n"
    "          col.owner=:lastnik and col.constraint_name=con.constraint_name and\r\n"
    "          kol.owner(+)=:lastnik and kol.table_name(+)=:tabela and kol.column_name(+)=col.column_name\r\n"
    "order by col.position");

// The candidates: the columns of every foreign key that references the key constraint (with the constraint and the
// column's position in it), and the columns named like the key's columns in the listed owners; columns of tables
// only (a view's column holds no values of its own).
QString quKolone(int keyColumns)
{
    QStringList names;
    for (int i = 1; i <= keyColumns; ++i)
        names << QStringLiteral(":kolona%1").arg(i);
    return QStringLiteral(
               "select a.owner,a.table_name,a.column_name, data_type,\r\n"
               "  decode(col.data_precision,null,col.data_length,col.data_precision) data_precision,\r\n"
               "  a.constraint_name,a.position\r\n"
               "from \r\n"
               "(select con.owner,con.table_name,col.column_name,con.constraint_name,col.position\r\n"
               " from all_CONSTRAINTS con,all_CONS_COLUMNS col\r\n"
               "where con.r_owner=:lastnik  and con.r_constraint_name=:kljuc and \r\n"
               "          con.constraint_type='R'  and\r\n"
               "          col.owner=con.owner and col.constraint_name=con.constraint_name\r\n"
               "\r\n"
               "union\r\n"
               "\r\n"
               "select owner,table_name,column_name,null,0   \r\n"
               "  from all_TAB_COLUMNS \r\n"
               "where instr(:lastniki,','||owner ||',' )>0 and column_name in (")
        + names.join(QLatin1Char(','))
        + QStringLiteral(")) a,all_tab_columns col\r\n"
                         "\r\n"
                         "where col.owner=a.owner and col.table_name=a.table_name and col.column_name=a.column_name\r\n"
                         "  and exists (select null from all_tables t where t.owner=a.owner and t.table_name=a.table_name)\r\n"
                         " \r\n"
                         "order by a.owner,col.table_name,a.constraint_name,a.position,col.column_name");
}

const QString quDodatno = QStringLiteral(
    "select owner,table_name,column_name,data_type,   \r\n"
    "decode(data_precision,null,data_length,data_precision) data_precision,null,0\r\n"
    "  from all_TAB_COLUMNS \r\n"
    "where instr(:lastniki,','||owner ||',' )>0 and column_name like :kolona\r\n"
    "  and exists (select null from all_tables t where t.owner=all_TAB_COLUMNS.owner and\r\n"
    "              t.table_name=all_TAB_COLUMNS.table_name)\r\n"
    "order by owner,table_name,column_name");

QLineEdit* upperEdit(QWidget* parent, const char* name, const QString& text = {})
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    QObject::connect(e, &QLineEdit::textEdited, e, [e](const QString& t) {
        const int at = e->cursorPosition();
        e->setText(t.toUpper());
        e->setCursorPosition(at);
    });
    return e;
}

} // namespace

TfmGenReplProc::TfmGenReplProc(TfmMain* main, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , workDir(QDir::currentPath())
    , fm(main)
{
    setObjectName(QStringLiteral("fmGenReplProc"));
    setWindowTitle(QStringLiteral("fmGenReplProc"));
    buildLayout();
    sgTab->setHorizontalHeaderLabels({ "OWNER", "TABLE", "COLUMN" });
    edLastnik->setText(fm && !fm->currOwner.isEmpty() ? fm->currOwner : QStringLiteral("VOXA"));
    setLanguageTexts();
}

void TfmGenReplProc::buildLayout()
{
    resize(640, 560);
    auto* outer = new QVBoxLayout(this);
    auto* top = new QGridLayout;
    auto label = [&](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        labels << l;
        return l;
    };
    edLastnik = upperEdit(this, "edLastnik", QStringLiteral("VOXA"));
    edTabela = upperEdit(this, "edTabela");
    edLastniki = upperEdit(this, "edLastniki");
    edPolje = upperEdit(this, "edPolje");
    edPK = upperEdit(this, "edPK");
    edType = upperEdit(this, "edType");
    edLength = upperEdit(this, "edLength");
    btRefresh = new QPushButton(style()->standardIcon(QStyle::SP_BrowserReload), QStringLiteral("&"), this);
    btRefresh->setObjectName(QStringLiteral("btRefresh"));
    btRefresh->setToolTip(QStringLiteral("Columns that can hold the key"));
    top->addWidget(label("laLastnik", QStringLiteral("Owner:")), 0, 0);
    top->addWidget(edLastnik, 0, 1);
    top->addWidget(label("laTabela", QStringLiteral("Table:")), 0, 2);
    top->addWidget(edTabela, 0, 3);
    top->addWidget(label("laLastniki", QStringLiteral("Owners:")), 1, 0);
    top->addWidget(edLastniki, 1, 1, 1, 3);
    top->addWidget(label("laPolje", QStringLiteral("Field:")), 2, 0);
    top->addWidget(edPolje, 2, 1);
    top->addWidget(label("laPK", QStringLiteral("PK:")), 2, 2);
    top->addWidget(edPK, 2, 3);
    top->addWidget(label("laType", QStringLiteral("Type:")), 3, 0);
    top->addWidget(edType, 3, 1);
    top->addWidget(label("laLength", QStringLiteral("Length:")), 3, 2);
    top->addWidget(edLength, 3, 3);
    top->addWidget(btRefresh, 3, 4);
    top->setColumnStretch(1, 1);
    top->setColumnStretch(3, 1);
    outer->addLayout(top);

    auto* middle = new QHBoxLayout;
    sgTab = new QTableWidget(1, 3, this);
    sgTab->setObjectName(QStringLiteral("sgTab"));
    sgTab->setRowCount(0);
    sgTab->verticalHeader()->hide();
    sgTab->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgTab->setSelectionMode(QAbstractItemView::SingleSelection);
    sgTab->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgTab->horizontalHeader()->setStretchLastSection(true);
    sgTab->setColumnWidth(0, 110);
    sgTab->setColumnWidth(1, 190);
    sgTab->verticalHeader()->setDefaultSectionSize(20);
    middle->addWidget(sgTab, 1);
    auto* side = new QVBoxLayout;
    auto button = [&](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        side->addWidget(b);
        return b;
    };
    spDelete = button("spDelete", QStringLiteral("Delete"));
    spInsert = button("spInsert", QStringLiteral("Insert"));
    spSaveInsert = button("spSaveInsert", QStringLiteral("Save Insert"));
    spSaveInsert->setEnabled(false);
    spSave = button("spSave", QStringLiteral("Save"));
    side->addStretch(1);
    middle->addLayout(side);
    outer->addLayout(middle, 1);

    auto* similar = new QGridLayout;
    edFilter = upperEdit(this, "edFilter", QStringLiteral("%"));
    btDodat = new QPushButton(style()->standardIcon(QStyle::SP_BrowserReload), QString(), this);
    btDodat->setObjectName(QStringLiteral("btDodat"));
    btDodat->setToolTip(QStringLiteral("Columns of a similar name (the filter, else the key's own name)"));
    cbDodatno = new QListWidget(this);
    cbDodatno->setObjectName(QStringLiteral("cbDodatno"));
    cbDodatno->setMaximumHeight(110);
    cbDodatno->hide();
    spPrenos = new QPushButton(QStringLiteral("Transfer"), this);
    spPrenos->setObjectName(QStringLiteral("spPrenos"));
    spPrenos->hide();
    similar->addWidget(label("laFilter", QStringLiteral("Similar columns:")), 0, 0);
    similar->addWidget(edFilter, 0, 1);
    similar->addWidget(btDodat, 0, 2);
    similar->addWidget(cbDodatno, 1, 0, 1, 3);
    similar->addWidget(spPrenos, 1, 3, Qt::AlignTop);
    similar->setColumnStretch(1, 1);
    outer->addLayout(similar);

    auto* bottom = new QHBoxLayout;
    edOldNiz = new QLineEdit(QStringLiteral("AAAAA"), this);
    edOldNiz->setObjectName(QStringLiteral("edOldNiz"));
    edNewNiz = new QLineEdit(QStringLiteral("BBBBB"), this);
    edNewNiz->setObjectName(QStringLiteral("edNewNiz"));
    btPripraviProc = new QPushButton(QStringLiteral("&Prepare procedure"), this);
    btPripraviProc->setObjectName(QStringLiteral("btPripraviProc"));
    btExit = new QPushButton(QStringLiteral("Exit"), this);
    btExit->setObjectName(QStringLiteral("btExit"));
    bottom->addWidget(label("laOld", QStringLiteral("Old :")));
    bottom->addWidget(edOldNiz, 1);
    bottom->addWidget(label("laNew", QStringLiteral("New:")));
    bottom->addWidget(edNewNiz, 1);
    bottom->addWidget(btPripraviProc);
    bottom->addWidget(btExit);
    outer->addLayout(bottom);

    connect(edTabela, &QLineEdit::textChanged, this, [this] { edTabelaChange(); });
    connect(edTabela, &QLineEdit::editingFinished, this, [this] { edTabelaExit(); });
    edPolje->installEventFilter(this);
    connect(btRefresh, &QPushButton::clicked, this, [this] { btRefreshClick(); });
    connect(spDelete, &QPushButton::clicked, this, [this] { spDeleteClick(); });
    connect(spInsert, &QPushButton::clicked, this, [this] { spInsertClick(); });
    connect(spSaveInsert, &QPushButton::clicked, this, [this] { spSaveInsertClick(); });
    connect(spSave, &QPushButton::clicked, this, [this] { spSaveClick(); });
    connect(btDodat, &QPushButton::clicked, this, [this] { btDodatClick(); });
    connect(spPrenos, &QPushButton::clicked, this, [this] { spPrenosClick(); });
    connect(btPripraviProc, &QPushButton::clicked, this, [this] { btPripraviProcClick(); });
    connect(btExit, &QPushButton::clicked, this, &QWidget::close);
}

void TfmGenReplProc::setLanguageTexts()
{
    if (!fm || fm->currLanguage != QLatin1String("SLO"))
        return;
    sgTab->setHorizontalHeaderLabels({ "Lastnik", "Tabela", "Kolona" });
    const std::pair<const char*, const char*> texts[] = { { "laLastnik", "Lastnik:" }, { "laTabela", "Tabela:" },
        { "laLastniki", "Vsi lastniki:" }, { "laPolje", "Polje:" }, { "laType", "Tip:" },
        { "laLength", "Dol\u017Eina:" }, { "laOld", "Staro:" }, { "laNew", "Novo:" },
        { "laFilter", "Podobne kolone:" } };
    for (const auto& [name, text] : texts)
        for (QLabel* l : labels)
            if (l->objectName() == QLatin1String(name))
                l->setText(QString::fromUtf8(text));
    btPripraviProc->setText(QStringLiteral("&Pripravi proceduro"));
    spDelete->setText(QStringLiteral("Bri\u0161i"));
    spInsert->setText(QStringLiteral("Vnesi"));
    spSaveInsert->setText(QStringLiteral("Shrani vne\u0161eno"));
    spSave->setText(QStringLiteral("Shrani vse"));
    spPrenos->setText(QStringLiteral("Prenos"));
    btExit->setText(QStringLiteral("Konec"));
}

void TfmGenReplProc::message(const QString& text)
{
    shell::LocalMessageDlg(text, shell::MsgDlgType::mtInformation, shell::MsgDlgBtn::mbOK, 0,
        fm ? fm->currLanguage : QStringLiteral("ANG"));
}

bool TfmGenReplProc::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edPolje && event->type() == QEvent::FocusIn)
        readPrimaryKey();
    return QWidget::eventFilter(watched, event);
}

QString TfmGenReplProc::listFileName() const
{
    return QDir(workDir).filePath(edLastnik->text() + QLatin1Char('_') + edTabela->text() + QStringLiteral(".rpl"));
}

QString TfmGenReplProc::blockFileName() const
{
    return QDir(workDir).filePath(edLastnik->text() + QLatin1Char('_') + edTabela->text() + QStringLiteral(".sql"));
}

void TfmGenReplProc::readPrimaryKey()
{
    if (!edPolje->text().isEmpty() || !fm || !fm->osOracle || !fm->osOracle->connected())
        return;
    key.clear();
    try {
        db::Query q(fm->osOracle);
        q.setSql(quKey);
        for (const auto& [name, value] :
            { std::pair { "lastnik", edLastnik->text() }, std::pair { "tabela", edTabela->text() } }) {
            q.declareVariable(QString::fromLatin1(name), db::BindType::String);
            q.setVariable(QString::fromLatin1(name), value);
        }
        q.execute();
        for (; !q.eof(); q.next()) {
            key << deploy::ReplaceKeyColumn { q.field(QStringLiteral("COLUMN_NAME")).toString(),
                q.field(QStringLiteral("DATA_TYPE")).toString(), q.field(QStringLiteral("DATA_PRECISION")).toString(),
                q.fieldIsNull(QStringLiteral("DATA_SCALE")) ? QString() : q.field(QStringLiteral("DATA_SCALE")).toString() };
            edPK->setText(q.field(QStringLiteral("CONSTRAINT_NAME")).toString());
        }
    } catch (const db::OracleError& e) {
        message(e.message());
        return;
    }
    if (key.isEmpty()) {
        edPK->setText(QStringLiteral("******"));
        edPolje->setText(QStringLiteral("*****"));
        edType->setText(QStringLiteral("NUMBER"));
        edLength->setText(QStringLiteral("6"));
        key << deploy::ReplaceKeyColumn { QStringLiteral("*****"), QStringLiteral("NUMBER"), QStringLiteral("6"), {} };
        return;
    }
    QStringList names, types, lengths;
    for (const deploy::ReplaceKeyColumn& k : key) {
        names << k.name;
        types << k.type;
        lengths << k.length;
    }
    edPolje->setText(names.join(QLatin1Char(',')));
    edType->setText(types.join(QLatin1Char(',')));
    edLength->setText(lengths.join(QLatin1Char(',')));
    btDodat->setEnabled(key.size() == 1);
}

namespace {

// The key as the fields say (the user may have typed them), with the scale the dictionary gave for a column.
QList<deploy::ReplaceKeyColumn> fieldKey(const QString& polje, const QString& type, const QString& length,
    const QList<deploy::ReplaceKeyColumn>& known)
{
    const QStringList names = polje.split(QLatin1Char(','));
    const QStringList types = type.split(QLatin1Char(','));
    const QStringList lengths = length.split(QLatin1Char(','));
    QList<deploy::ReplaceKeyColumn> out;
    for (int i = 0; i < names.size(); ++i) {
        deploy::ReplaceKeyColumn k { names.at(i).trimmed(), types.value(i).trimmed(), lengths.value(i).trimmed(), {} };
        for (const deploy::ReplaceKeyColumn& d : known)
            if (d.name == k.name && d.type == k.type && d.length == k.length)
                k.scale = d.scale;
        out << k;
    }
    return out;
}

} // namespace

void TfmGenReplProc::edTabelaChange()
{
    edPolje->clear();
    edPK->clear();
    // The list of another table must not be written as this one's.
    aIzbvse.clear();
    sgTab->setRowCount(0);
}

void TfmGenReplProc::edTabelaExit()
{
    readPrimaryKey();
    izbor = {};
    QFile f(listFileName());
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    izbor = deploy::readReplaceList(QString::fromUtf8(f.readAll()).split(QLatin1Char('\n')));
}

QList<deploy::ReplaceCandidate> TfmGenReplProc::candidates(
    const QString& sql, const QList<QPair<QString, QString>>& binds)
{
    QList<deploy::ReplaceCandidate> rows;
    if (!fm || !fm->osOracle || !fm->osOracle->connected())
        return rows;
    try {
        db::Query q(fm->osOracle);
        q.setSql(sql);
        for (const auto& [name, value] : binds) {
            q.declareVariable(name, db::BindType::String);
            q.setVariable(name, value);
        }
        q.execute();
        for (; !q.eof(); q.next())
            rows << deploy::ReplaceCandidate { q.field(0).toString(), q.field(1).toString(), q.field(2).toString(),
                q.field(3).toString(), q.field(4).toString(), q.fieldIsNull(5) ? QString() : q.field(5).toString(),
                q.field(6).toInt() };
    } catch (const db::OracleError& e) {
        message(e.message());
    }
    return rows;
}

void TfmGenReplProc::btRefreshClick()
{
    readPrimaryKey();
    const QList<deploy::ReplaceKeyColumn> k = fieldKey(edPolje->text(), edType->text(), edLength->text(), key);
    QList<QPair<QString, QString>> binds = { { QStringLiteral("lastnik"), edLastnik->text() },
        { QStringLiteral("kljuc"), edPK->text() },
        { QStringLiteral("lastniki"), deploy::ownersList(edLastnik->text(), edLastniki->text()) } };
    for (int i = 0; i < k.size(); ++i)
        binds << qMakePair(QStringLiteral("kolona%1").arg(i + 1), k.at(i).name);
    aIzbvse = deploy::buildReplaceList(
        k, edLastnik->text(), edTabela->text(), candidates(quKolone(static_cast<int>(k.size())), binds), izbor);
    showList();
}

void TfmGenReplProc::showList()
{
    sgTab->setRowCount(static_cast<int>(aIzbvse.size()));
    for (int r = 0; r < aIzbvse.size(); ++r) {
        const deploy::ReplaceColumn& c = aIzbvse.at(r);
        sgTab->setItem(r, 0, new QTableWidgetItem(c.owner));
        sgTab->setItem(r, 1, new QTableWidgetItem(c.table));
        sgTab->setItem(r, 2, new QTableWidgetItem(c.column));
    }
}

void TfmGenReplProc::spDeleteClick()
{
    const int row = sgTab->currentRow();
    if (row < 0 || row >= aIzbvse.size())
        return;
    const deploy::ReplaceColumn c = aIzbvse.takeAt(row);
    if (!izbor.minus.contains(c))
        izbor.minus << c;
    izbor.plus.removeAll(c);
    sgTab->removeRow(row);
}

void TfmGenReplProc::spInsertClick()
{
    const int row = sgTab->rowCount();
    sgTab->insertRow(row);
    for (int c = 0; c < 3; ++c)
        sgTab->setItem(row, c, new QTableWidgetItem);
    sgTab->setCurrentCell(row, 0);
    sgTab->setSelectionBehavior(QAbstractItemView::SelectItems);
    sgTab->setEditTriggers(QAbstractItemView::AllEditTriggers);
    spInsert->setEnabled(false);
    spDelete->setEnabled(false);
    spSaveInsert->setEnabled(true);
}

void TfmGenReplProc::spSaveInsertClick()
{
    const int row = sgTab->rowCount() - 1;
    if (row >= 0 && row >= aIzbvse.size()) {
        auto text = [&](int c) { return sgTab->item(row, c) ? sgTab->item(row, c)->text().trimmed().toUpper() : QString(); };
        const deploy::ReplaceColumn c { text(0), text(1), text(2) };
        if (c.owner.isEmpty() && c.table.isEmpty() && c.column.isEmpty()) {
            sgTab->removeRow(row); // nothing typed: no entry
        } else {
            izbor.plus << c;
            aIzbvse << c;
            izbor.minus.removeAll(c);
        }
    }
    spInsert->setEnabled(true);
    spDelete->setEnabled(true);
    spSaveInsert->setEnabled(false);
    sgTab->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgTab->setSelectionBehavior(QAbstractItemView::SelectRows);
    showList();
}

void TfmGenReplProc::spSaveClick()
{
    QString error;
    if (!develop::writeTextFile(listFileName(), deploy::writeReplaceList(izbor).join(QStringLiteral("\r\n")),
            develop::TextFileFormat {}, &error))
        message(error);
}

void TfmGenReplProc::btDodatClick()
{
    const QList<deploy::ReplaceKeyColumn> k = fieldKey(edPolje->text(), edType->text(), edLength->text(), key);
    if (k.size() != 1)
        return; // a composite key is not held by a single column
    cbDodatno->clear();
    const QString filter = edFilter->text().trimmed();
    const QString pattern = filter.isEmpty() || filter == QLatin1String("%") ? edPolje->text() : filter;
    const QList<deploy::ReplaceCandidate> rows = candidates(quDodatno,
        { { QStringLiteral("lastniki"), deploy::ownersList(edLastnik->text(), edLastniki->text()) },
            { QStringLiteral("kolona"), pattern } });
    for (const deploy::ReplaceCandidate& r : rows) {
        const deploy::ReplaceColumn c { r.owner, r.table, r.column };
        if ((r.owner == edLastnik->text() && r.table == edTabela->text()) || !deploy::acceptsKeyColumn(k.first(), r.type, r.length)
            || izbor.minus.contains(c) || izbor.plus.contains(c) || aIzbvse.contains(c))
            continue;
        auto* item = new QListWidgetItem(r.owner + QLatin1Char(' ') + r.table + QLatin1Char(' ') + r.column, cbDodatno);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    cbDodatno->setVisible(cbDodatno->count() > 0);
    spPrenos->setVisible(cbDodatno->count() > 0);
}

void TfmGenReplProc::spPrenosClick()
{
    for (int i = 0; i < cbDodatno->count(); ++i) {
        if (cbDodatno->item(i)->checkState() != Qt::Checked)
            continue;
        const deploy::ReplaceColumn c = deploy::splitListLine(QLatin1Char('+') + cbDodatno->item(i)->text()).entry;
        izbor.plus << c;
        aIzbvse << c;
    }
    showList();
    edFilter->setText(QStringLiteral("%"));
    cbDodatno->clear();
    cbDodatno->hide();
    spPrenos->hide();
}

bool TfmGenReplProc::btPripraviProcClick()
{
    const QList<deploy::ReplaceKeyColumn> k = fieldKey(edPolje->text(), edType->text(), edLength->text(), key);
    const QStringList oldValues = k.size() == 1 ? QStringList { edOldNiz->text() } : deploy::splitKeyValues(edOldNiz->text());
    const QStringList newValues = k.size() == 1 ? QStringList { edNewNiz->text() } : deploy::splitKeyValues(edNewNiz->text());
    if (oldValues.size() != k.size() || newValues.size() != k.size()) {
        message(QStringLiteral("The key has %1 columns: give as many old and new values, separated by commas")
                    .arg(k.size()));
        return false;
    }
    QString error;
    if (!develop::writeTextFile(blockFileName(), deploy::replaceBlock(k, oldValues, newValues, aIzbvse).join(QStringLiteral("\r\n")),
            develop::TextFileFormat {}, &error)) {
        message(error);
        return false;
    }
    const QString name = edLastnik->text() + QLatin1Char('_') + edTabela->text();
    message(fm && fm->currLanguage == QLatin1String("SLO")
            ? QStringLiteral("PROCEDURA ") + name + QStringLiteral(".sql  JE KREIRANA !")
            : QStringLiteral("PROCEDURE ") + name + QStringLiteral(".sql  IS CREATED !"));
    return true;
}
