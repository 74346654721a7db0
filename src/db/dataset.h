// db::DataSet: a query opened as a record set the grids show and edit. Rows are fetched on demand; edits are
// keyed by ROWID and either written at once or cached until applyUpdates; a detail data set follows its master's
// current record; query by example filters by an example record.
#pragma once

#include "db/driver.h"
#include "db/session.h"
#include "db/variables.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

namespace db {

class Session;

class DataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert, QueryByExample };
    enum class UpdateStatus { Unmodified, Modified, Inserted, Deleted };
    using Bookmark = qint64; // 0 is no bookmark

    explicit DataSet(Session* session, QObject* parent = nullptr);
    ~DataSet() override;

    void setSession(Session* session) { sess = session; }
    Session* session() const { return sess; }

    void setSql(const QString& sql);
    QString sql() const { return text; }
    void declareVariable(const QString& name, BindType type, BindDirection direction = BindDirection::In)
    {
        vars.declare(name, type, direction);
    }
    void setVariable(const QString& name, const QVariant& value) { vars.set(name, value); }
    QVariant getVariable(const QString& name) const { return vars.get(name); }
    void deleteVariables() { vars.clear(); }
    Variables& variables() { return vars; }

    // Options, as the windows set them on their data sets.
    void setCachedUpdates(bool on) { cached = on; }
    bool cachedUpdates() const { return cached; }
    void setReadOnly(bool on) { readOnlyFlag = on; }
    bool readOnly() const { return readOnlyFlag; }
    void setQueryAllRecords(bool on) { queryAll = on; }
    bool queryAllRecords() const { return queryAll; }
    void setReadBuffer(int records) { readBufferSize = qMax(1, records); }
    int readBuffer() const { return readBufferSize; }
    void setRefreshAfterInsert(bool on) { refreshInsert = on; }
    void setRefreshAfterUpdate(bool on) { refreshUpdate = on; }
    // The table that edits go to, with the qualifier its columns carry in the query; found from the query's first
    // FROM table when not set.
    void setUpdatingTable(const QString& table, const QString& qualifier = {});
    QString updatingTable() const;

    // Opening runs the query and reads the first buffer of records (all of them with queryAllRecords). Throws
    // OracleError with line and position in the statement, which errorLine/errorPosition then give too. A worker
    // thread may open (or refresh) the data set: the server work runs in the worker, and the new rows are handed
    // to the data set's own thread in a blocking call, so that thread must keep serving events meanwhile.
    void open();
    void close();
    bool active() const { return st != State::Inactive; }
    // Runs the query again; the current record stays where it was when it still exists. Cached updates survive.
    void refresh();
    State state() const { return st; }
    int errorLine() const { return errLine; }
    int errorPosition() const { return errPosition; }

    // Fields.
    int fieldCount() const { return int(cols.size()); }
    const driver::Column& column(int i) const { return cols.at(size_t(i)); }
    QString fieldName(int i) const { return column(i).name; }
    // The title a grid shows for a field (its name unless a window set another), kept across opens.
    void setDisplayLabel(const QString& fieldName, const QString& label) { labels.insert(fieldName.toUpper(), label); }
    QString displayLabel(int i) const { return labels.value(fieldName(i).toUpper(), fieldName(i)); }
    FieldType fieldType(int i) const { return column(i).type; }
    int fieldIndex(const QString& name) const; // -1 when none
    int rowidField() const { return rowidIndex; }

    // The current record (the edit buffer while editing or inserting, the example in query-by-example state).
    QVariant fieldValue(int i) const;
    QVariant fieldValue(const QString& name) const;
    bool fieldIsNull(int i) const { return fieldValue(i).isNull(); }
    QString displayText(int i) const;
    void setFieldValue(int i, const QVariant& value); // only while editing, inserting or entering an example
    void setFieldValue(const QString& name, const QVariant& value);

    // Records fetched so far, by row (0-based), for the grid.
    int recordCount() const;
    QVariant value(int row, int field) const;
    QString displayText(int row, int field) const;
    UpdateStatus updateStatus(int row) const;
    bool allFetched() const { return fetchedAll; }
    // Fetches up to n more records; returns how many came.
    int fetchMore(int n);
    void fetchAll();
    // Rows taken from the server's cursor since the last open (what on-demand fetching keeps small).
    qint64 rowsFetched() const { return fetchedCount; }

    // Navigation. Moving away from a record being edited posts it first.
    bool bof() const { return atBof; }
    bool eof() const { return atEof; }
    void first();
    void last();
    void next();
    void prior();
    int moveBy(int distance); // returns how many records it moved
    int recNo() const { return current < 0 ? 0 : current + 1; } // 1-based; 0 when there is no record
    void setRecNo(int recNo);
    int currentRow() const { return current; }
    // While disabled (calls nest), moving through the records tells no grid and no detail data set; enabling
    // them again tells everyone once. Grid utilities that read records (fitting columns) use it.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return disabledControls > 0; }
    Bookmark bookmark() const;
    bool bookmarkValid(Bookmark b) const;
    bool gotoBookmark(Bookmark b);

    // Editing: the query must select the ROWID of its updating table.
    bool editable() const;
    void edit();
    void insert(); // a new record before the current one
    void append(); // a new record at the end
    void post();
    void cancel();
    // Whether a field was given a value since the edit or insert began: a change the user may not want to lose.
    bool editModified() const { return typed && (st == State::Edit || st == State::Insert); }
    void deleteRecord();

    // Cached updates.
    bool updatesPending() const;
    int pendingUpdateCount() const;
    // Applies this data set's cached updates on its session (no commit); on a failure nothing is lost: the
    // server is put back and the updates stay cached, the failing record is made current, and the error names it.
    void applyUpdates();
    // Forgets the cached updates after they were applied and committed.
    void commitUpdates();
    // Drops the cached updates: edited records get their fetched values back, inserted ones go, deleted ones return.
    void cancelUpdates();
    // Reads the current record again from the server.
    void refreshRecord();

    // Master-detail: the detail runs again, with each variable set from the master's field, whenever the
    // master's current record changes. Fields are separated by ";"; detailFields names the detail's variables
    // (the master's field names when empty).
    void setMaster(DataSet* master, const QString& masterFields, const QString& detailFields = {});
    DataSet* master() const { return masterSet; }
    QString masterFields() const { return masterFieldList.join(QLatin1Char(';')); }
    QString detailFields() const { return detailFieldList.join(QLatin1Char(';')); }

    // Query by example: an example record whose values become WHERE conditions.
    void enterQueryByExample();
    void executeQueryByExample();
    void cancelQueryByExample();
    void clearQueryByExample();
    QVariant exampleValue(int field) const;
    // The query as it runs, with the example's conditions added.
    QString effectiveSql() const;

    // For Session::applyUpdates.
    void postPending();
    void applyPending();
    void discardApplied();

signals:
    void aboutToReset();
    void reset(); // opened, closed, refreshed, updates cancelled: every row may have changed
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted();
    void rowAboutToBeRemoved(int row);
    void rowRemoved();
    void rowChanged(int row);
    void currentChanged(); // another record became current, or the data set opened or closed
    void stateChanged(DataSet::State state);

private:
    struct Record {
        qint64 id = 0;
        qint64 ordinal = 0; // place in the server's order, for putting cancelled deletes back
        std::vector<QVariant> values;
        std::vector<QVariant> original;
        UpdateStatus status = UpdateStatus::Unmodified;
    };
    struct Applied {
        Record* record;
        QVariant rowid;
        std::optional<std::vector<QVariant>> values;
    };

    struct Staged {
        std::shared_ptr<driver::Cursor> cursor;
        std::vector<driver::Column> cols;
        std::vector<std::vector<QVariant>> rows;
        bool fetchedAll = false;
        std::optional<OracleError> error; // the query failed: nothing to show
        std::optional<OracleError> fetchError; // a fetch failed after the rows in rows
    };

    void execute(bool keepPending, const QVariant& keepRowid = {}, int keepRow = -1);
    Staged runQuery(const QString& sql, std::vector<driver::Bind>& binds, int firstRows) const;
    bool fetchRaw(driver::Cursor& c, int n, std::vector<std::vector<QVariant>>& out) const;
    void install(Staged& staged, bool keepPending, const QVariant& keepRowid, int keepRow);
    std::vector<std::unique_ptr<Record>> takeRecords(std::vector<std::vector<QVariant>>& raw);
    void fetchRows(int n);
    void setCurrent(int row);
    void setState(State s);
    void checkBrowse();
    void requireEditable() const;
    Record* currentRecord() const;
    int rowOf(const Record* r) const;
    Applied applyRecord(const Record& r);
    std::optional<std::vector<QVariant>> readRecord(const QVariant& rowid);
    QString recordLabel(const Record& r) const;
    void masterChanged();
    void parkPending();
    std::vector<QVariant> masterValues() const;

    QPointer<Session> sess; // cleared when the session goes first
    QHash<QString, QString> labels; // grid titles by upper-cased field name
    QString text;
    Variables vars;
    bool cached = false;
    bool readOnlyFlag = false;
    bool queryAll = false;
    int readBufferSize = 100;
    bool refreshInsert = true;
    bool refreshUpdate = true;
    QString explicitTable;
    QString explicitQualifier;

    State st = State::Inactive;
    int errLine = 0;
    int errPosition = 0;
    std::vector<driver::Column> cols;
    int rowidIndex = -1;
    std::shared_ptr<driver::Cursor> cursor;
    bool fetchedAll = true;
    qint64 fetchedCount = 0;
    std::vector<std::unique_ptr<Record>> rows;
    std::vector<std::unique_ptr<Record>> deleted;
    std::vector<std::unique_ptr<Record>> parked; // cached updates of an earlier run of the query
    std::vector<Applied> applied;
    qint64 nextId = 1;
    int current = -1;
    bool atBof = true;
    bool atEof = true;
    std::vector<QVariant> buffer; // edit or insert buffer
    UpdateStatus editingStatus = UpdateStatus::Unmodified;

    bool typed = false; // a field was given a value since the edit or insert began
    int disabledControls = 0;
    DataSet* masterSet = nullptr;
    QStringList masterFieldList;
    QStringList detailFieldList;
    std::vector<QVariant> lastMasterValues;
    bool haveMasterValues = false;

    std::vector<QVariant> example;
    State stateBeforeExample = State::Browse;
    QString exampleCondition;
    std::vector<std::pair<QString, QVariant>> exampleBinds;
};

} // namespace db
