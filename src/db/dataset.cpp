#include "db/dataset.h"

#include "db/displaytext.h"
#include "db/qbe.h"
#include "db/session.h"
#include "db/sqltext.h"

#include <QThread>

#include <algorithm>
#include <climits>

namespace db {

namespace {

// Through the session when there still is one, so that closing waits for a call running on it.
void closeCursor(Session* session, driver::Cursor& cursor)
{
    if (session) {
        session->closeCursor(cursor);
        return;
    }
    try {
        cursor.close();
    } catch (const OracleError&) {
    }
}

} // namespace

namespace {

const QString rowidBind = QStringLiteral("DMX_ROWID");

bool sameValue(const QVariant& a, const QVariant& b)
{
    const bool an = !a.isValid() || a.isNull();
    const bool bn = !b.isValid() || b.isNull();
    if (an || bn)
        return an == bn;
    return a == b;
}

} // namespace

DataSet::DataSet(Session* session, QObject* parent)
    : QObject(parent)
    , sess(session)
{
}

DataSet::~DataSet()
{
    if (cursor) {
        closeCursor(sess, *cursor);
    }
}

void DataSet::setSql(const QString& sql)
{
    if (active())
        close();
    text = sql;
    exampleCondition.clear();
    exampleBinds.clear();
}

void DataSet::setUpdatingTable(const QString& table, const QString& qualifier)
{
    explicitTable = table;
    explicitQualifier = qualifier;
}

QString DataSet::updatingTable() const
{
    if (!explicitTable.isEmpty())
        return explicitTable;
    const auto ref = sqltext::updatingTable(text);
    return ref ? ref->table : QString();
}

QString DataSet::effectiveSql() const
{
    return exampleCondition.isEmpty() ? text : sqltext::addWhereCondition(text, exampleCondition);
}

// ---- opening and fetching

void DataSet::open()
{
    // An open data set is not closed first: the new result replaces the old one in the data set's own thread,
    // which matters when a worker opens it while its grid shows the previous result.
    if (masterSet) {
        const std::vector<QVariant> values = masterValues();
        for (int i = 0; i < masterFieldList.size(); ++i)
            vars.set(detailFieldList.value(i, masterFieldList[i]), values[size_t(i)]);
        lastMasterValues = values;
        haveMasterValues = true;
    }
    execute(false);
}

// Runs the query and reads its first rows without touching the data set, so that a worker thread can do it
// while the grid still shows the old rows.
DataSet::Staged DataSet::runQuery(const QString& sql, std::vector<driver::Bind>& binds, int firstRows) const
{
    Staged staged;
    try {
        driver::Result r = sess->execute(sql, binds);
        if (!r.cursor)
            throw OracleError::client(QStringLiteral("The statement of a data set must be a query"));
        staged.cursor = std::move(r.cursor);
    } catch (OracleError& e) {
        e.setStatement(sql);
        staged.error = e;
        return staged;
    }
    staged.cols = staged.cursor->columns();
    try {
        staged.fetchedAll = fetchRaw(*staged.cursor, firstRows, staged.rows);
    } catch (const OracleError& e) {
        staged.fetchError = e;
        staged.fetchedAll = true;
    }
    if (staged.fetchedAll)
        staged.cursor.reset();
    return staged;
}

bool DataSet::fetchRaw(driver::Cursor& c, int n, std::vector<std::vector<QVariant>>& out) const
{
    const int width = int(c.columns().size());
    for (int k = 0; k < n; ++k) {
        if (!sess->fetch(c)) {
            closeCursor(sess, c);
            return true;
        }
        std::vector<QVariant> values(static_cast<size_t>(width));
        for (int i = 0; i < width; ++i)
            values[size_t(i)] = c.value(i);
        out.push_back(std::move(values));
    }
    return false;
}

void DataSet::execute(bool keepPending, const QVariant& keepRowid, int keepRow)
{
    if (!sess)
        throw OracleError::client(QStringLiteral("The data set has no session"));
    const QString sql = effectiveSql();
    Variables all = vars;
    for (const auto& [name, value] : exampleBinds)
        all.set(name, value);
    std::vector<driver::Bind> binds = all.bindsFor(sql);
    Staged staged = runQuery(sql, binds, queryAll ? INT_MAX : readBufferSize);
    // The rows change in the data set's own thread, where its grid reads them; a worker hands them over and
    // waits, as a synchronised call does.
    if (QThread::currentThread() != thread())
        QMetaObject::invokeMethod(
            this, [&] { install(staged, keepPending, keepRowid, keepRow); }, Qt::BlockingQueuedConnection);
    else
        install(staged, keepPending, keepRowid, keepRow);
    if (staged.error)
        throw *staged.error;
    if (staged.fetchError) // the rows that came are shown; the failure (a break, a bad value) is reported
        throw *staged.fetchError;
}

void DataSet::install(Staged& staged, bool keepPending, const QVariant& keepRowid, int keepRow)
{
    if (keepPending)
        parkPending();
    else
        parked.clear();
    emit aboutToReset();
    if (cursor) {
        closeCursor(sess, *cursor);
    }
    cursor = std::move(staged.cursor);
    rows.clear();
    deleted.clear();
    applied.clear();
    buffer.clear();
    current = -1;
    errLine = staged.error ? staged.error->line() : 0;
    errPosition = staged.error ? staged.error->position() : 0;
    if (staged.error) {
        cols.clear();
        rowidIndex = -1;
        fetchedAll = true;
        st = State::Inactive;
        atBof = atEof = true;
        emit reset();
        emit stateChanged(st);
        emit currentChanged();
        return;
    }
    cols = std::move(staged.cols);
    rowidIndex = -1;
    for (int i = 0; i < int(cols.size()); ++i)
        if (cols[size_t(i)].type == FieldType::Rowid
            || cols[size_t(i)].name.compare(QLatin1String("ROWID"), Qt::CaseInsensitive) == 0) {
            rowidIndex = i;
            break;
        }
    fetchedAll = staged.fetchedAll;
    fetchedCount = 0;
    st = State::Browse;
    for (auto& values : takeRecords(staged.rows))
        rows.push_back(std::move(values));
    // The record to show is chosen before anyone hears of the new rows, so a detail runs once, for it.
    current = rows.empty() ? -1 : 0;
    if (keepRowid.isValid() && rowidIndex >= 0) {
        for (int i = 0; i < int(rows.size()); ++i)
            if (sameValue(rows[size_t(i)]->values[size_t(rowidIndex)], keepRowid)) {
                current = i;
                keepRow = -1;
                break;
            }
    }
    if (keepRow > 0 && !rows.empty())
        current = std::min(keepRow, int(rows.size()) - 1);
    atBof = current <= 0;
    atEof = rows.empty();
    emit reset();
    emit stateChanged(st);
    emit currentChanged();
}

std::vector<std::unique_ptr<DataSet::Record>> DataSet::takeRecords(std::vector<std::vector<QVariant>>& raw)
{
    std::vector<std::unique_ptr<Record>> batch;
    for (auto& values : raw) {
        ++fetchedCount;
        auto r = std::make_unique<Record>();
        r->id = nextId++;
        r->ordinal = fetchedCount;
        r->values = std::move(values);
        r->original = r->values;
        if (!parked.empty() && rowidIndex >= 0) {
            // A record edited or deleted before the query ran again shows its cached state, not the server's.
            const QVariant& rowid = r->values[size_t(rowidIndex)];
            auto it = std::find_if(parked.begin(), parked.end(), [&](const auto& p) {
                return p->status != UpdateStatus::Inserted && sameValue(p->values[size_t(rowidIndex)], rowid);
            });
            if (it != parked.end()) {
                std::unique_ptr<Record> p = std::move(*it);
                parked.erase(it);
                p->ordinal = r->ordinal;
                if (p->status == UpdateStatus::Deleted) {
                    deleted.push_back(std::move(p));
                    continue;
                }
                r = std::move(p);
            }
        }
        batch.push_back(std::move(r));
    }
    raw.clear();
    return batch;
}

void DataSet::fetchRows(int n)
{
    if (fetchedAll || !cursor || n <= 0)
        return;
    std::vector<std::vector<QVariant>> raw;
    std::optional<OracleError> error;
    try {
        fetchedAll = fetchRaw(*cursor, n, raw);
    } catch (const OracleError& e) {
        error = e;
        fetchedAll = true;
    }
    if (fetchedAll)
        cursor.reset();
    std::vector<std::unique_ptr<Record>> batch = takeRecords(raw);
    if (!batch.empty()) {
        const int first = int(rows.size());
        emit rowsAboutToBeInserted(first, first + int(batch.size()) - 1);
        for (auto& r : batch)
            rows.push_back(std::move(r));
        emit rowsInserted();
    }
    if (error)
        throw *error;
}

int DataSet::fetchMore(int n)
{
    if (st == State::QueryByExample)
        return 0;
    const size_t before = rows.size();
    fetchRows(n);
    return int(rows.size() - before);
}

void DataSet::fetchAll()
{
    fetchMore(INT_MAX);
}

void DataSet::close()
{
    if (!active())
        return;
    emit aboutToReset();
    if (cursor) {
        closeCursor(sess, *cursor);
        cursor.reset();
    }
    rows.clear();
    deleted.clear();
    parked.clear();
    applied.clear();
    cols.clear();
    rowidIndex = -1;
    buffer.clear();
    current = -1;
    atBof = atEof = true;
    fetchedAll = true;
    st = State::Inactive;
    emit reset();
    emit stateChanged(st);
    emit currentChanged();
}

void DataSet::refresh()
{
    if (!active()) {
        open();
        return;
    }
    checkBrowse();
    QVariant rowid;
    const int oldRow = current;
    if (Record* r = currentRecord(); r && rowidIndex >= 0)
        rowid = r->values[size_t(rowidIndex)];
    execute(true, rowid, oldRow);
}

void DataSet::parkPending()
{
    if (st == State::Edit || st == State::Insert)
        post();
    for (auto& r : rows)
        if (r->status != UpdateStatus::Unmodified)
            parked.push_back(std::move(r));
    for (auto& r : deleted)
        parked.push_back(std::move(r));
    std::erase(rows, nullptr);
    deleted.clear();
}

// ---- fields

int DataSet::fieldIndex(const QString& name) const
{
    for (int i = 0; i < int(cols.size()); ++i)
        if (cols[size_t(i)].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

DataSet::Record* DataSet::currentRecord() const
{
    return current >= 0 && current < int(rows.size()) ? rows[size_t(current)].get() : nullptr;
}

int DataSet::rowOf(const Record* r) const
{
    for (int i = 0; i < int(rows.size()); ++i)
        if (rows[size_t(i)].get() == r)
            return i;
    return -1;
}

QVariant DataSet::fieldValue(int i) const
{
    if (i < 0 || i >= fieldCount())
        throw OracleError::client(QStringLiteral("Field index %1 out of range").arg(i));
    if (st == State::QueryByExample)
        return example[size_t(i)];
    if (st == State::Edit || st == State::Insert)
        return buffer[size_t(i)];
    const Record* r = currentRecord();
    return r ? r->values[size_t(i)] : QVariant();
}

QVariant DataSet::fieldValue(const QString& name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw OracleError::client(QStringLiteral("Field %1 does not exist").arg(name));
    return fieldValue(i);
}

QString DataSet::displayText(int i) const
{
    if (st == State::QueryByExample)
        return example[size_t(i)].toString();
    return db::displayText(fieldValue(i), fieldType(i), sess ? sess->dateFormat() : QStringLiteral("DD-MON-RR"));
}

void DataSet::setFieldValue(int i, const QVariant& value)
{
    if (i < 0 || i >= fieldCount())
        throw OracleError::client(QStringLiteral("Field index %1 out of range").arg(i));
    if (st == State::QueryByExample) {
        example[size_t(i)] = value;
        emit rowChanged(0);
        return;
    }
    if (st != State::Edit && st != State::Insert)
        throw OracleError::client(QStringLiteral("The data set is not in edit or insert mode"));
    if (i == rowidIndex)
        throw OracleError::client(QStringLiteral("The ROWID field cannot be changed"));
    // Oracle has no empty text: an emptied field is null.
    const bool emptyText = value.typeId() == QMetaType::QString && value.toString().isEmpty();
    buffer[size_t(i)] = emptyText ? QVariant() : value;
    typed = true;
    emit rowChanged(current);
}

void DataSet::setFieldValue(const QString& name, const QVariant& value)
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw OracleError::client(QStringLiteral("Field %1 does not exist").arg(name));
    setFieldValue(i, value);
}

int DataSet::recordCount() const
{
    return st == State::QueryByExample ? 1 : int(rows.size());
}

QVariant DataSet::value(int row, int field) const
{
    if (st == State::QueryByExample)
        return row == 0 ? example[size_t(field)] : QVariant();
    if ((st == State::Edit || st == State::Insert) && row == current)
        return buffer[size_t(field)];
    return rows.at(size_t(row))->values.at(size_t(field));
}

QString DataSet::displayText(int row, int field) const
{
    if (st == State::QueryByExample)
        return value(row, field).toString();
    return db::displayText(
        value(row, field), fieldType(field), sess ? sess->dateFormat() : QStringLiteral("DD-MON-RR"));
}

DataSet::UpdateStatus DataSet::updateStatus(int row) const
{
    if (st == State::QueryByExample || row < 0 || row >= int(rows.size()))
        return UpdateStatus::Unmodified;
    return rows[size_t(row)]->status;
}

// ---- navigation

void DataSet::setCurrent(int row)
{
    if (row == current)
        return;
    current = row;
    emit currentChanged();
}

void DataSet::setState(State s)
{
    if (s == st)
        return;
    st = s;
    typed = false;
    emit stateChanged(st);
}

void DataSet::checkBrowse()
{
    if (st == State::Edit || st == State::Insert)
        post();
    else if (st == State::QueryByExample)
        cancelQueryByExample();
}

void DataSet::first()
{
    checkBrowse();
    setCurrent(rows.empty() ? -1 : 0);
    atBof = true;
    atEof = rows.empty();
}

void DataSet::last()
{
    checkBrowse();
    fetchAll();
    setCurrent(int(rows.size()) - 1);
    atEof = true;
    atBof = rows.empty();
}

void DataSet::next()
{
    if (!active())
        return;
    checkBrowse();
    if (current + 1 >= int(rows.size()))
        fetchRows(readBufferSize);
    if (current + 1 < int(rows.size())) {
        setCurrent(current + 1);
        atBof = false;
    } else {
        atEof = true;
    }
}

void DataSet::prior()
{
    if (!active())
        return;
    checkBrowse();
    if (current > 0) {
        setCurrent(current - 1);
        atEof = false;
    } else {
        atBof = true;
    }
}

int DataSet::moveBy(int distance)
{
    int moved = 0;
    while (distance > 0) {
        const int before = current;
        next();
        if (current == before)
            break;
        ++moved;
        --distance;
    }
    while (distance < 0) {
        const int before = current;
        prior();
        if (current == before)
            break;
        ++moved;
        ++distance;
    }
    return moved;
}

void DataSet::setRecNo(int recNo)
{
    checkBrowse();
    if (recNo < 1)
        recNo = 1;
    if (recNo > int(rows.size()))
        fetchRows(recNo - int(rows.size()));
    if (rows.empty())
        return;
    setCurrent(std::min(recNo, int(rows.size())) - 1);
    atBof = current == 0;
    atEof = false;
}

void DataSet::disableControls()
{
    if (disabledControls++ == 0)
        blockSignals(true);
}

void DataSet::enableControls()
{
    if (disabledControls == 0 || --disabledControls > 0)
        return;
    blockSignals(false);
    // Rows may have come and the current record moved meanwhile: everyone starts afresh.
    emit aboutToReset();
    emit reset();
    emit stateChanged(st);
    emit currentChanged();
}

DataSet::Bookmark DataSet::bookmark() const
{
    const Record* r = currentRecord();
    return r ? r->id : 0;
}

bool DataSet::bookmarkValid(Bookmark b) const
{
    return b != 0 && std::any_of(rows.begin(), rows.end(), [&](const auto& r) { return r->id == b; });
}

bool DataSet::gotoBookmark(Bookmark b)
{
    for (int i = 0; i < int(rows.size()); ++i)
        if (rows[size_t(i)]->id == b) {
            checkBrowse();
            setCurrent(i);
            atBof = atEof = false;
            return true;
        }
    return false;
}

// ---- editing

bool DataSet::editable() const
{
    return active() && !readOnlyFlag && rowidIndex >= 0 && !updatingTable().isEmpty();
}

void DataSet::requireEditable() const
{
    if (!active())
        throw OracleError::client(QStringLiteral("The data set is not open"));
    if (readOnlyFlag)
        throw OracleError::client(QStringLiteral("The data set is read-only"));
    if (rowidIndex < 0 || updatingTable().isEmpty())
        throw OracleError::client(
            QStringLiteral("The data set cannot be changed: its query does not select the ROWID of one table"));
}

void DataSet::edit()
{
    if (st == State::Edit || st == State::Insert)
        return;
    requireEditable();
    if (st == State::QueryByExample)
        cancelQueryByExample();
    Record* r = currentRecord();
    if (!r)
        throw OracleError::client(QStringLiteral("There is no record to edit"));
    buffer = r->values;
    setState(State::Edit);
}

void DataSet::insert()
{
    requireEditable();
    checkBrowse();
    auto r = std::make_unique<Record>();
    r->id = nextId++;
    r->values.resize(cols.size());
    r->original = r->values;
    r->status = UpdateStatus::Inserted;
    const int at = current < 0 ? 0 : current;
    emit rowsAboutToBeInserted(at, at);
    rows.insert(rows.begin() + at, std::move(r));
    emit rowsInserted();
    buffer.assign(cols.size(), QVariant());
    current = -1;
    setCurrent(at);
    atBof = atEof = false;
    setState(State::Insert);
}

void DataSet::append()
{
    requireEditable();
    checkBrowse();
    auto r = std::make_unique<Record>();
    r->id = nextId++;
    r->values.resize(cols.size());
    r->original = r->values;
    r->status = UpdateStatus::Inserted;
    const int at = int(rows.size());
    emit rowsAboutToBeInserted(at, at);
    rows.push_back(std::move(r));
    emit rowsInserted();
    buffer.assign(cols.size(), QVariant());
    setCurrent(at);
    atBof = atEof = false;
    setState(State::Insert);
}

void DataSet::post()
{
    if (st != State::Edit && st != State::Insert)
        return;
    Record* r = currentRecord();
    Record candidate = *r;
    candidate.values = buffer;
    if (candidate.status == UpdateStatus::Unmodified) {
        bool changed = false;
        for (size_t i = 0; i < buffer.size(); ++i)
            changed = changed || !sameValue(buffer[i], r->original[i]);
        candidate.status = changed ? UpdateStatus::Modified : UpdateStatus::Unmodified;
    }
    if (!cached && candidate.status != UpdateStatus::Unmodified) {
        // Written at once; a failure leaves the record in edit or insert state with what the user typed.
        Applied a = applyRecord(candidate);
        r->values = a.values ? *a.values : buffer;
        if (rowidIndex >= 0 && a.rowid.isValid() && !a.rowid.isNull())
            r->values[size_t(rowidIndex)] = a.rowid;
        r->original = r->values;
        r->status = UpdateStatus::Unmodified;
    } else {
        r->values = buffer;
        r->status = candidate.status;
    }
    buffer.clear();
    setState(State::Browse);
    emit rowChanged(current);
}

void DataSet::cancel()
{
    if (st == State::QueryByExample) {
        cancelQueryByExample();
        return;
    }
    if (st == State::Edit) {
        buffer.clear();
        setState(State::Browse);
        emit rowChanged(current);
    } else if (st == State::Insert) {
        const int row = current;
        buffer.clear();
        emit rowAboutToBeRemoved(row);
        rows.erase(rows.begin() + row);
        emit rowRemoved();
        current = -1;
        setState(State::Browse);
        setCurrent(rows.empty() ? -1 : std::min(row, int(rows.size()) - 1));
    }
}

void DataSet::deleteRecord()
{
    requireEditable();
    if (st == State::Insert) {
        cancel();
        return;
    }
    if (st == State::Edit)
        cancel();
    Record* r = currentRecord();
    if (!r)
        throw OracleError::client(QStringLiteral("There is no record to delete"));
    if (!cached && r->status != UpdateStatus::Inserted) {
        Record candidate = *r;
        candidate.status = UpdateStatus::Deleted;
        applyRecord(candidate);
    }
    const int row = current;
    emit rowAboutToBeRemoved(row);
    std::unique_ptr<Record> taken = std::move(rows[size_t(row)]);
    rows.erase(rows.begin() + row);
    if (cached && taken->status != UpdateStatus::Inserted) {
        taken->status = UpdateStatus::Deleted;
        deleted.push_back(std::move(taken));
    }
    emit rowRemoved();
    current = -1;
    setCurrent(rows.empty() ? -1 : std::min(row, int(rows.size()) - 1));
    atEof = rows.empty();
}

// ---- cached updates

bool DataSet::updatesPending() const
{
    return pendingUpdateCount() > 0 || st == State::Edit || st == State::Insert;
}

int DataSet::pendingUpdateCount() const
{
    int n = int(deleted.size() + parked.size());
    for (const auto& r : rows)
        if (r->status != UpdateStatus::Unmodified)
            ++n;
    return n;
}

void DataSet::applyUpdates()
{
    if (!sess)
        throw OracleError::client(QStringLiteral("The data set has no session"));
    sess->applyUpdates({ this }, false);
}

void DataSet::postPending()
{
    if (st == State::Edit || st == State::Insert)
        post();
}

void DataSet::applyPending()
{
    applied.clear();
    std::vector<Record*> order;
    auto collect = [&](UpdateStatus s) {
        for (auto& r : deleted)
            if (r->status == s)
                order.push_back(r.get());
        for (auto& r : parked)
            if (r->status == s)
                order.push_back(r.get());
        for (auto& r : rows)
            if (r->status == s)
                order.push_back(r.get());
    };
    // Deletes first, so that a key deleted and inserted again in one go does not collide with itself.
    collect(UpdateStatus::Deleted);
    collect(UpdateStatus::Modified);
    collect(UpdateStatus::Inserted);
    for (Record* r : order) {
        try {
            applied.push_back(applyRecord(*r));
        } catch (OracleError& e) {
            e.addContext(recordLabel(*r));
            if (const int row = rowOf(r); row >= 0)
                setCurrent(row);
            throw;
        }
    }
}

void DataSet::discardApplied()
{
    applied.clear();
}

void DataSet::commitUpdates()
{
    for (const Applied& a : applied) {
        Record* r = a.record;
        if (r->status == UpdateStatus::Deleted)
            continue;
        if (a.values)
            r->values = *a.values;
        if (rowidIndex >= 0 && a.rowid.isValid() && !a.rowid.isNull())
            r->values[size_t(rowidIndex)] = a.rowid;
    }
    applied.clear();
    for (int i = 0; i < int(rows.size()); ++i) {
        Record* r = rows[size_t(i)].get();
        if (r->status == UpdateStatus::Unmodified)
            continue;
        r->original = r->values;
        r->status = UpdateStatus::Unmodified;
        emit rowChanged(i);
    }
    deleted.clear();
    parked.clear();
}

void DataSet::cancelUpdates()
{
    if (st == State::Edit || st == State::Insert)
        cancel();
    if (!active())
        return;
    const Bookmark keep = bookmark();
    emit aboutToReset();
    std::erase_if(rows, [](const auto& r) { return r->status == UpdateStatus::Inserted; });
    for (auto& r : deleted)
        rows.push_back(std::move(r));
    deleted.clear();
    parked.clear();
    applied.clear();
    for (auto& r : rows) {
        r->values = r->original;
        r->status = UpdateStatus::Unmodified;
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a->ordinal < b->ordinal; });
    current = rows.empty() ? -1 : 0;
    for (int i = 0; i < int(rows.size()); ++i)
        if (rows[size_t(i)]->id == keep)
            current = i;
    emit reset();
    emit currentChanged();
}

std::optional<std::vector<QVariant>> DataSet::readRecord(const QVariant& rowid)
{
    const auto ref = sqltext::updatingTable(text);
    const QString qualifier = !explicitQualifier.isEmpty() ? explicitQualifier
        : !explicitTable.isEmpty()                         ? explicitTable
        : ref                                              ? ref->qualifier()
                                                           : QString();
    const QString sql
        = sqltext::addWhereCondition(effectiveSql(), qualifier + QStringLiteral(".rowid = :") + rowidBind);
    Variables all = vars;
    for (const auto& [name, value] : exampleBinds)
        all.set(name, value);
    all.declare(rowidBind, BindType::String);
    all.set(rowidBind, rowid);
    std::vector<driver::Bind> binds = all.bindsFor(sql);
    driver::Result r;
    try {
        r = sess->execute(sql, binds);
    } catch (OracleError& e) {
        e.setStatement(sql);
        throw;
    }
    if (!r.cursor)
        return std::nullopt;
    std::optional<std::vector<QVariant>> values;
    if (sess->fetch(*r.cursor) && int(r.cursor->columns().size()) == fieldCount()) {
        values.emplace(cols.size());
        for (int i = 0; i < fieldCount(); ++i)
            (*values)[size_t(i)] = r.cursor->value(i);
    }
    closeCursor(sess, *r.cursor);
    return values;
}

DataSet::Applied DataSet::applyRecord(const Record& r)
{
    const QString table = updatingTable();
    if (table.isEmpty() || rowidIndex < 0)
        throw OracleError::client(QStringLiteral("The data set has no updating table"));
    Applied result { const_cast<Record*>(&r), {}, std::nullopt };
    QString sql;
    std::vector<driver::Bind> binds;
    auto valueBind = [&](int field, const QVariant& value) {
        driver::Bind b;
        b.name = QStringLiteral("DMX_%1").arg(field + 1);
        b.type = cols[size_t(field)].type == FieldType::Rowid ? FieldType::Varchar2 : cols[size_t(field)].type;
        b.value = value;
        binds.push_back(b);
        return QLatin1Char(':') + b.name;
    };
    auto rowidValue = [&](const QVariant& rowid) {
        driver::Bind b;
        b.name = rowidBind;
        b.type = FieldType::Varchar2;
        b.value = rowid;
        binds.push_back(b);
    };
    const QVariant rowid = r.original.empty() ? QVariant() : r.original[size_t(rowidIndex)];
    switch (r.status) {
    case UpdateStatus::Unmodified:
        return result;
    case UpdateStatus::Deleted:
        sql = QStringLiteral("delete from %1 where rowid = :%2").arg(table, rowidBind);
        rowidValue(rowid);
        break;
    case UpdateStatus::Modified: {
        QStringList sets;
        for (int i = 0; i < fieldCount(); ++i)
            if (i != rowidIndex && !sameValue(r.values[size_t(i)], r.original[size_t(i)]))
                sets << sqltext::columnReference(cols[size_t(i)].name) + QStringLiteral(" = ")
                        + valueBind(i, r.values[size_t(i)]);
        if (sets.isEmpty())
            return result;
        sql = QStringLiteral("update %1 set %2 where rowid = :%3")
                  .arg(table, sets.join(QStringLiteral(", ")), rowidBind);
        rowidValue(rowid);
        break;
    }
    case UpdateStatus::Inserted: {
        QStringList names;
        QStringList places;
        for (int i = 0; i < fieldCount(); ++i)
            if (i != rowidIndex && !sameValue(r.values[size_t(i)], QVariant())) {
                names << sqltext::columnReference(cols[size_t(i)].name);
                places << valueBind(i, r.values[size_t(i)]);
            }
        if (names.isEmpty()) {
            const int first = rowidIndex == 0 ? 1 : 0;
            if (first >= fieldCount())
                throw OracleError::client(QStringLiteral("The data set has no field to insert"));
            names << sqltext::columnReference(cols[size_t(first)].name);
            places << QStringLiteral("null");
        }
        sql = QStringLiteral("insert into %1 (%2) values (%3) returning rowid into :%4")
                  .arg(table, names.join(QStringLiteral(", ")), places.join(QStringLiteral(", ")), rowidBind);
        rowidValue({});
        binds.back().direction = BindDirection::Out;
        break;
    }
    }
    driver::Result res;
    try {
        res = sess->execute(sql, binds);
    } catch (OracleError& e) {
        e.setStatement(sql);
        throw;
    }
    if ((r.status == UpdateStatus::Deleted || r.status == UpdateStatus::Modified) && res.rowsProcessed == 0)
        throw OracleError::client(QStringLiteral("The record has been deleted by another user"));
    if (r.status == UpdateStatus::Inserted) {
        result.rowid = binds.back().value;
        if (refreshInsert && result.rowid.isValid() && !result.rowid.isNull())
            result.values = readRecord(result.rowid);
    } else if (r.status == UpdateStatus::Modified) {
        result.rowid = rowid;
        if (refreshUpdate)
            result.values = readRecord(rowid);
    }
    return result;
}

QString DataSet::recordLabel(const Record& r) const
{
    const QString table = updatingTable();
    const int row = rowOf(&r);
    const QString rowid
        = rowidIndex >= 0 && !r.original.empty() ? r.original[size_t(rowidIndex)].toString() : QString();
    switch (r.status) {
    case UpdateStatus::Inserted:
        return row >= 0 ? QStringLiteral("While inserting record %1 into %2").arg(row + 1).arg(table)
                        : QStringLiteral("While inserting a new record into %1").arg(table);
    case UpdateStatus::Deleted:
        return QStringLiteral("While deleting the record of %1 with ROWID %2").arg(table, rowid);
    default:
        return row >= 0 ? QStringLiteral("While updating record %1 of %2 (ROWID %3)").arg(row + 1).arg(table, rowid)
                        : QStringLiteral("While updating the record of %1 with ROWID %2").arg(table, rowid);
    }
}

void DataSet::refreshRecord()
{
    checkBrowse();
    Record* r = currentRecord();
    if (!r || rowidIndex < 0)
        return;
    if (r->status == UpdateStatus::Inserted)
        throw OracleError::client(QStringLiteral("A record not yet applied cannot be read again"));
    const auto values = readRecord(r->original[size_t(rowidIndex)]);
    if (!values)
        throw OracleError::client(QStringLiteral("The record has been deleted by another user"));
    r->values = *values;
    r->original = *values;
    r->status = UpdateStatus::Unmodified;
    emit rowChanged(current);
}

// ---- master-detail

void DataSet::setMaster(DataSet* master, const QString& masterFields, const QString& detailFields)
{
    if (masterSet)
        disconnect(masterSet, nullptr, this, nullptr);
    masterSet = master;
    masterFieldList = masterFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& f : masterFieldList)
        f = f.trimmed();
    detailFieldList = detailFields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& f : detailFieldList)
        f = f.trimmed();
    haveMasterValues = false;
    if (!masterSet)
        return;
    for (int i = 0; i < masterFieldList.size(); ++i) {
        const QString name = detailFieldList.value(i, masterFieldList[i]);
        if (!vars.contains(name))
            vars.declare(name, BindType::String);
    }
    connect(masterSet, &DataSet::currentChanged, this, &DataSet::masterChanged);
    connect(masterSet, &DataSet::reset, this, &DataSet::masterChanged);
    connect(masterSet, &DataSet::rowChanged, this, [this](int row) {
        if (masterSet && row == masterSet->currentRow() && masterSet->state() == State::Browse)
            masterChanged();
    });
    connect(masterSet, &QObject::destroyed, this, [this] { masterSet = nullptr; });
}

std::vector<QVariant> DataSet::masterValues() const
{
    std::vector<QVariant> values;
    for (const QString& f : masterFieldList) {
        const int i = masterSet && masterSet->active() ? masterSet->fieldIndex(f) : -1;
        values.push_back(i >= 0 && masterSet->state() != State::QueryByExample ? masterSet->fieldValue(i) : QVariant());
    }
    return values;
}

void DataSet::masterChanged()
{
    if (!masterSet)
        return;
    if (!masterSet->active()) {
        close();
        return;
    }
    const std::vector<QVariant> values = masterValues();
    bool same = haveMasterValues && values.size() == lastMasterValues.size();
    for (size_t i = 0; same && i < values.size(); ++i)
        same = sameValue(values[i], lastMasterValues[i]);
    if (same && active())
        return;
    for (int i = 0; i < masterFieldList.size(); ++i)
        vars.set(detailFieldList.value(i, masterFieldList[i]), values[size_t(i)]);
    lastMasterValues = values;
    haveMasterValues = true;
    if (!active())
        return;
    try {
        // Cached updates of the detail stay pending across master records; refresh keeps them.
        execute(true);
    } catch (const OracleError&) {
        // The detail shows nothing; its error line and position tell why. A signal cannot carry the exception.
    }
}

// ---- query by example

void DataSet::enterQueryByExample()
{
    if (!active())
        open();
    checkBrowse();
    if (st == State::QueryByExample)
        return;
    example.resize(cols.size());
    emit aboutToReset();
    setState(State::QueryByExample);
    emit reset();
    emit currentChanged();
}

QVariant DataSet::exampleValue(int field) const
{
    return size_t(field) < example.size() ? example[size_t(field)] : QVariant();
}

void DataSet::executeQueryByExample()
{
    if (st != State::QueryByExample)
        enterQueryByExample();
    QStringList conditions;
    std::vector<std::pair<QString, QVariant>> binds;
    for (int i = 0; i < fieldCount(); ++i) {
        if (i == rowidIndex || size_t(i) >= example.size())
            continue;
        const auto term = qbeTerm(sqltext::columnReference(cols[size_t(i)].name), cols[size_t(i)].type,
            example[size_t(i)].toString(), QStringLiteral("QBE_%1").arg(i + 1));
        if (!term)
            continue;
        conditions << term->condition;
        binds.insert(binds.end(), term->binds.begin(), term->binds.end());
    }
    exampleCondition = conditions.join(QStringLiteral(" and "));
    exampleBinds = std::move(binds);
    st = State::Browse;
    emit stateChanged(st);
    execute(true);
}

void DataSet::cancelQueryByExample()
{
    if (st != State::QueryByExample)
        return;
    emit aboutToReset();
    setState(State::Browse);
    emit reset();
    emit currentChanged();
}

void DataSet::clearQueryByExample()
{
    for (QVariant& v : example)
        v = QVariant();
    exampleCondition.clear();
    exampleBinds.clear();
    if (st == State::QueryByExample)
        emit rowChanged(0);
}

} // namespace db
