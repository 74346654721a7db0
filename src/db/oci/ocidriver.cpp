#include "db/oci/ocidriver.h"

#include "db/oci/ociclient.h"
#include "db/oci/ocinumber.h"
#include "db/sqltext.h"

#include <QLocale>

#include <atomic>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <optional>

namespace db::oci {

using namespace api;

namespace {

constexpr ub4 fetchArraySize = 100;
constexpr ub4 prefetchRows = 200;
constexpr int maxStringBind = 32767; // the longest PL/SQL VARCHAR2
constexpr int numberBufferSize = 22;

const OraText* oraText(const QByteArray& bytes)
{
    return reinterpret_cast<const OraText*>(bytes.constData());
}

// A client library loaded after start-up is torn down by its own exit handlers before the program's static objects
// go, so the process's driver must not hand its handles back to it from a static destructor. The flag is set by an
// exit handler registered after the client was loaded, which therefore runs before the client's teardown.
std::atomic<bool> processExiting { false };

void watchProcessExit()
{
    static std::once_flag once;
    std::call_once(once, [] { std::atexit([] { processExiting = true; }); });
}

// One environment per driver: threaded, so that a break can come from another thread, and AL32UTF8 both ways.
struct Environment {
    std::shared_ptr<const ClientLibrary> lib;
    OCIEnv* env = nullptr;

    ~Environment()
    {
        if (env && !processExiting)
            lib->handleFree(env, OCI_HTYPE_ENV);
    }
};

OracleError errorOf(const ClientLibrary& lib, void* handle, ub4 handleType, sword status)
{
    if (status == OCI_INVALID_HANDLE)
        return OracleError::client(QStringLiteral("The Oracle client reported an invalid handle."));
    sb4 code = 0;
    OraText buf[3072] = {};
    if (handle && lib.errorGet(handle, 1, nullptr, &code, buf, sizeof buf, handleType) == OCI_SUCCESS)
        return OracleError(code, QString::fromUtf8(reinterpret_cast<const char*>(buf)).trimmed());
    return OracleError::client(QStringLiteral("The Oracle client call failed with status %1.").arg(status));
}

// The handles of one logon, shared by the connection and the cursors it opened.
struct SessionHandles {
    std::shared_ptr<Environment> environment;
    const ClientLibrary* lib = nullptr;
    OCIError* err = nullptr;
    OCIError* breakErr = nullptr; // only the thread that breaks uses it
    OCIServer* server = nullptr;
    OCISvcCtx* svc = nullptr;
    OCISession* session = nullptr;
    bool attached = false;
    std::atomic<bool> begun { false }; // read by a break from another thread
    // A call is on its way to the server: only then does a break go out, as a break on an idle connection would
    // fail the next call instead.
    std::atomic<bool> busy { false };

    ~SessionHandles()
    {
        if (!processExiting)
            end();
    }

    void end()
    {
        if (begun)
            lib->sessionEnd(svc, err, session, OCI_DEFAULT);
        begun = false;
        if (attached)
            lib->serverDetach(server, err, OCI_DEFAULT);
        attached = false;
        for (auto [h, t] : { std::pair<void*, ub4> { session, OCI_HTYPE_SESSION }, { svc, OCI_HTYPE_SVCCTX },
                 { server, OCI_HTYPE_SERVER }, { breakErr, OCI_HTYPE_ERROR }, { err, OCI_HTYPE_ERROR } })
            if (h)
                lib->handleFree(h, t);
        session = nullptr;
        svc = nullptr;
        server = nullptr;
        breakErr = nullptr;
        err = nullptr;
    }

    bool loggedOn() const { return begun; }

    void alloc(void** h, ub4 type)
    {
        const sword st = lib->handleAlloc(environment->env, h, type, 0, nullptr);
        if (st != OCI_SUCCESS)
            throw errorOf(*lib, environment->env, OCI_HTYPE_ENV, st);
    }

    // Throws the error of a failed call; a break is followed by the reset OCI asks for.
    void check(sword status, const QString& sql = {}, bool withOffset = false)
    {
        if (status == OCI_SUCCESS || status == OCI_SUCCESS_WITH_INFO || status == OCI_NO_DATA)
            return;
        throw failure(status, sql, withOffset);
    }

    OracleError failure(sword status, const QString& sql, bool withOffset, OCIStmt* stmt = nullptr)
    {
        OracleError e = errorOf(*lib, err, OCI_HTYPE_ERROR, status);
        if (e.code() == ORA_USER_REQUESTED_CANCEL && svc)
            lib->reset(svc, err);
        if (withOffset) {
            ub2 offset = 0;
            lib->attrGet(err, OCI_HTYPE_ERROR, &offset, nullptr, OCI_ATTR_PARSE_ERROR_OFFSET, err);
            if (offset == 0 && stmt) // where clients before 12c keep it
                lib->attrGet(stmt, OCI_HTYPE_STMT, &offset, nullptr, OCI_ATTR_PARSE_ERROR_OFFSET, err);
            // Oracle gives 0 both for the first character and for errors tied to no position; only a later
            // position is a place in the text worth marking.
            if (offset > 0) {
                OracleError located(e.code(), e.message(), utf16OffsetOf(sql, offset));
                located.setStatement(sql);
                return located;
            }
        }
        return e;
    }

    void notLoggedOn() const
    {
        if (!begun)
            throw OracleError(3114, QStringLiteral("ORA-03114: not connected to ORACLE"));
    }
};

FieldType fieldTypeOfColumn(ub2 type)
{
    switch (type) {
    case SQLT_CHR:
        return FieldType::Varchar2;
    case SQLT_AFC:
        return FieldType::Char;
    case SQLT_NUM:
    case SQLT_IBFLOAT:
    case SQLT_IBDOUBLE:
        return FieldType::Number;
    case SQLT_DAT:
        return FieldType::Date;
    case SQLT_LNG:
        return FieldType::Long;
    case SQLT_CLOB:
        return FieldType::Clob;
    case SQLT_BLOB:
    case SQLT_LBI:
        return FieldType::Blob;
    case SQLT_BIN:
        return FieldType::Raw;
    case SQLT_RID:
    case SQLT_RDD:
    case SQLT_UROWID:
        return FieldType::Rowid;
    case SQLT_RSET:
        return FieldType::RefCursor;
    default:
        return FieldType::Varchar2; // timestamps, intervals and the like arrive as the session formats them
    }
}

// How a value of a field type travels: the external type and the room for one value.
struct Transport {
    ub2 dty;
    int width;
};

Transport transportOf(FieldType type, int describedSize)
{
    switch (type) {
    case FieldType::Number:
        return { SQLT_VNU, numberBufferSize };
    case FieldType::Date:
        return { SQLT_DAT, 7 };
    case FieldType::Long:
    case FieldType::Clob:
        return { SQLT_LNG, longValueLimit };
    case FieldType::Blob:
        return { SQLT_LBI, longValueLimit };
    case FieldType::Raw:
        return { SQLT_BIN, std::max(describedSize, 1) };
    case FieldType::Rowid:
        return { SQLT_CHR, 4001 };
    case FieldType::RefCursor:
        return { SQLT_RSET, 0 };
    case FieldType::Varchar2:
    case FieldType::Char:
        break;
    }
    // Characters may take up to four bytes each in AL32UTF8.
    return { SQLT_CHR, std::clamp(describedSize * 4, 4, 4 * maxStringBind) };
}

QVariant valueOf(ub2 dty, FieldType type, const char* data, ub4 length)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
    switch (dty) {
    case SQLT_VNU:
        return fromVarnum(bytes);
    case SQLT_DAT:
        return fromOracleDate(bytes);
    case SQLT_BIN:
    case SQLT_LBI:
        return QByteArray(data, qsizetype(length));
    default:
        if (type == FieldType::Raw || type == FieldType::Blob)
            return QByteArray(data, qsizetype(length));
        return QString::fromUtf8(data, qsizetype(length));
    }
}

OracleError truncated(const QString& what)
{
    return OracleError(ORA_TRUNCATED,
        QStringLiteral("ORA-01406: fetched column value was truncated\n%1 is longer than the %2 bytes this tool reads.")
            .arg(what)
            .arg(longValueLimit));
}

class OciCursor : public driver::Cursor {
public:
    // Takes the statement: released with OCIStmtRelease when prepared, freed when it was a REF CURSOR handle.
    OciCursor(std::shared_ptr<SessionHandles> h, OCIStmt* stmt, bool prepared)
        : h(std::move(h))
        , stmt(stmt)
        , prepared(prepared)
    {
        try {
            describe();
        } catch (...) {
            release();
            throw;
        }
    }
    ~OciCursor() override { release(); }

    const std::vector<driver::Column>& columns() const override { return cols; }

    bool next() override
    {
        if (!stmt)
            return false;
        if (row + 1 < fetched) {
            ++row;
            return true;
        }
        if (finished) {
            close();
            return false;
        }
        h->notLoggedOn();
        h->busy = true;
        const sword st = h->lib->stmtFetch2(stmt, h->err, arraySize, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
        h->busy = false;
        if (st != OCI_SUCCESS && st != OCI_SUCCESS_WITH_INFO && st != OCI_NO_DATA)
            throw h->failure(st, {}, false);
        if (st == OCI_NO_DATA)
            finished = true;
        ub4 rows = 0;
        h->lib->attrGet(stmt, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROWS_FETCHED, h->err);
        fetched = int(rows);
        row = 0;
        if (fetched == 0) {
            close();
            return false;
        }
        checkTruncation();
        return true;
    }

    QVariant value(int i) const override
    {
        if (i < 0 || size_t(i) >= buffers.size() || row < 0 || row >= fetched)
            return {};
        const Buffer& b = buffers[size_t(i)];
        if (b.ind[size_t(row)] == -1)
            return {};
        return valueOf(b.dty, cols[size_t(i)].type, b.data.data() + size_t(row) * size_t(b.width), b.len[size_t(row)]);
    }

    void close() override
    {
        release();
        fetched = 0;
        row = -1;
    }

private:
    struct Buffer {
        ub2 dty = SQLT_CHR;
        int width = 0;
        std::vector<char> data;
        std::vector<sb2> ind;
        std::vector<ub4> len;
        std::vector<ub2> rcode;
    };

    void describe()
    {
        h->notLoggedOn();
        const ClientLibrary& lib = *h->lib;
        ub4 count = 0;
        h->check(lib.attrGet(stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, h->err));
        bool anyLong = false;
        for (ub4 pos = 1; pos <= count; ++pos) {
            void* param = nullptr;
            h->check(lib.paramGet(stmt, OCI_HTYPE_STMT, h->err, &param, pos));
            ub2 type = 0;
            ub2 size = 0;
            ub2 charSize = 0;
            sb2 precision = 0;
            sb1 scale = 0;
            ub1 isNull = 1;
            OraText* name = nullptr;
            ub4 nameLength = 0;
            lib.attrGet(param, OCI_DTYPE_PARAM, &type, nullptr, OCI_ATTR_DATA_TYPE, h->err);
            lib.attrGet(param, OCI_DTYPE_PARAM, &size, nullptr, OCI_ATTR_DATA_SIZE, h->err);
            lib.attrGet(param, OCI_DTYPE_PARAM, &charSize, nullptr, OCI_ATTR_CHAR_SIZE, h->err);
            lib.attrGet(param, OCI_DTYPE_PARAM, &precision, nullptr, OCI_ATTR_PRECISION, h->err);
            lib.attrGet(param, OCI_DTYPE_PARAM, &scale, nullptr, OCI_ATTR_SCALE, h->err);
            lib.attrGet(param, OCI_DTYPE_PARAM, &isNull, nullptr, OCI_ATTR_IS_NULL, h->err);
            lib.attrGet(param, OCI_DTYPE_PARAM, &name, &nameLength, OCI_ATTR_NAME, h->err);
            driver::Column c;
            // The name lives in the parameter's own memory: taken before the parameter is freed.
            c.name = QString::fromUtf8(reinterpret_cast<const char*>(name), qsizetype(nameLength));
            lib.descriptorFree(param, OCI_DTYPE_PARAM);
            c.type = fieldTypeOfColumn(type);
            const bool character = c.type == FieldType::Varchar2 || c.type == FieldType::Char;
            c.size = character && charSize > 0 ? charSize : size;
            c.precision = precision;
            c.scale = scale;
            c.nullable = isNull != 0;
            if (c.type == FieldType::RefCursor)
                throw OracleError(3001,
                    QStringLiteral("ORA-03001: unimplemented feature\nColumn %1 is a cursor expression, which this "
                                   "tool does not fetch.")
                        .arg(c.name));
            const bool textual = type != SQLT_CHR && type != SQLT_AFC && c.type == FieldType::Varchar2;
            Buffer b;
            const Transport t = transportOf(c.type, textual ? 256 : std::max<int>(size, charSize));
            b.dty = t.dty;
            b.width = t.width;
            anyLong = anyLong || t.width >= longValueLimit;
            cols.push_back(c);
            buffers.push_back(std::move(b));
        }
        // LONG and LOB values are read a row at a time, each in a buffer of the longest value (Oracle does not
        // prefetch rows with a LONG anyway). A REF CURSOR gets its prefetch here, before its first fetch.
        arraySize = anyLong ? 1 : fetchArraySize;
        ub4 prefetch = anyLong ? 0 : prefetchRows;
        lib.attrSet(stmt, OCI_HTYPE_STMT, &prefetch, sizeof prefetch, OCI_ATTR_PREFETCH_ROWS, h->err);
        for (size_t i = 0; i < buffers.size(); ++i) {
            Buffer& b = buffers[i];
            b.data.assign(size_t(b.width) * arraySize, 0);
            b.ind.assign(arraySize, 0);
            b.len.assign(arraySize, 0);
            b.rcode.assign(arraySize, 0);
            OCIDefine* def = nullptr;
            h->check(lib.defineByPos2(stmt, &def, h->err, ub4(i + 1), b.data.data(), b.width, b.dty, b.ind.data(),
                b.len.data(), b.rcode.data(), OCI_DEFAULT));
        }
    }

    void checkTruncation() const
    {
        for (size_t i = 0; i < buffers.size(); ++i) {
            const Buffer& b = buffers[i];
            for (int r = 0; r < fetched; ++r)
                if (b.rcode[size_t(r)] == ORA_TRUNCATED || b.ind[size_t(r)] == -2 || b.ind[size_t(r)] > 0)
                    throw truncated(QStringLiteral("The value of column %1").arg(cols[i].name));
        }
    }

    void release()
    {
        if (!stmt)
            return;
        if (h->err) {
            if (prepared)
                h->lib->stmtRelease(stmt, h->err, nullptr, 0, OCI_DEFAULT);
            else
                h->lib->handleFree(stmt, OCI_HTYPE_STMT);
        }
        stmt = nullptr;
    }

    std::shared_ptr<SessionHandles> h;
    OCIStmt* stmt;
    bool prepared;
    std::vector<driver::Column> cols;
    std::vector<Buffer> buffers;
    ub4 arraySize = fetchArraySize;
    int fetched = 0;
    int row = -1;
    bool finished = false;
};

// A prepared statement, released unless a cursor takes it over.
struct PreparedStatement {
    SessionHandles* h;
    OCIStmt* stmt = nullptr;
    ~PreparedStatement()
    {
        if (stmt)
            h->lib->stmtRelease(stmt, h->err, nullptr, 0, OCI_DEFAULT);
    }
    OCIStmt* take() { return std::exchange(stmt, nullptr); }
};

// The memory OCI reads a bind from and writes an OUT value to.
struct BindBuffer {
    ub2 dty = SQLT_CHR;
    std::vector<char> data;
    sb2 ind = 0;
    ub4 alen = 0;
    ub2 rcode = 0;
    OCIStmt* cursor = nullptr; // a REF CURSOR's statement handle
    std::shared_ptr<driver::Cursor> opened; // the cursor made of it after the execute
};

QString numberText(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return v.toString();
    }
}

void fillBind(BindBuffer& b, const driver::Bind& bind)
{
    const bool in = bind.direction != BindDirection::Out;
    const bool out = bind.direction != BindDirection::In;
    const QVariant& v = bind.value;
    const bool null = !in || !v.isValid() || v.isNull();
    b.ind = null ? sb2(-1) : sb2(0);
    auto setBytes = [&](ub2 dty, const QByteArray& bytes, int room) {
        b.dty = dty;
        b.data.assign(size_t(std::max<qsizetype>(bytes.size(), std::max(room, 1))), 0);
        std::copy(bytes.begin(), bytes.end(), b.data.begin());
        b.alen = ub4(bytes.size());
    };
    switch (bind.type) {
    case FieldType::Number: {
        if (null) {
            setBytes(SQLT_VNU, {}, numberBufferSize);
            return;
        }
        const QString text = numberText(v);
        if (auto n = textToNumber(text.toStdString())) {
            QByteArray bytes(1, char(n->size()));
            bytes.append(reinterpret_cast<const char*>(n->data()), qsizetype(n->size()));
            setBytes(SQLT_VNU, bytes, numberBufferSize);
        } else if (out) {
            // Not a number: the server's conversion error (ORA-06502 or ORA-01722) says so, as it would for text.
            setBytes(SQLT_CHR, text.toUtf8(), maxStringBind);
        } else {
            setBytes(SQLT_CHR, text.toUtf8(), 0);
        }
        return;
    }
    case FieldType::Date: {
        if (!null && (v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate)) {
            const QDateTime dt
                = v.typeId() == QMetaType::QDate ? QDateTime(v.toDate(), QTime(0, 0), Qt::UTC) : v.toDateTime();
            const auto d = toOracleDate(dt);
            setBytes(SQLT_DAT, QByteArray(reinterpret_cast<const char*>(d.data()), 7), 7);
        } else if (!null) {
            setBytes(SQLT_CHR, v.toString().toUtf8(), out ? maxStringBind : 0); // read by NLS_DATE_FORMAT
        } else {
            setBytes(SQLT_DAT, {}, 7);
        }
        return;
    }
    case FieldType::Long:
    case FieldType::Clob:
        setBytes(SQLT_LNG, null ? QByteArray() : v.toString().toUtf8(), out ? longValueLimit : 0);
        return;
    case FieldType::Blob:
        setBytes(SQLT_LBI, null ? QByteArray() : v.toByteArray(), out ? longValueLimit : 0);
        return;
    case FieldType::Raw:
        setBytes(SQLT_BIN, null ? QByteArray() : v.toByteArray(), out ? maxStringBind : 0);
        return;
    case FieldType::RefCursor:
        b.dty = SQLT_RSET;
        return;
    case FieldType::Varchar2:
    case FieldType::Char:
    case FieldType::Rowid:
        break;
    }
    const QByteArray bytes
        = null ? QByteArray() : (v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8());
    // CHAR binds compare blank-padded, as CHAR values do in Oracle; an OUT one stays VARCHAR2, as a CHAR buffer
    // would come back padded to its whole length.
    setBytes(bind.type == FieldType::Char && !out ? SQLT_AFC : SQLT_CHR, bytes, out ? maxStringBind : 0);
}

class OciConnection : public driver::Connection {
public:
    explicit OciConnection(std::shared_ptr<SessionHandles> h)
        : h(std::move(h))
    {
    }
    ~OciConnection() override { h->end(); }

    driver::Result execute(const QString& sql, std::vector<driver::Bind>& binds) override
    {
        h->notLoggedOn();
        const ClientLibrary& lib = *h->lib;
        const QByteArray text = sql.toUtf8();
        PreparedStatement ps { h.get() };
        h->check(lib.stmtPrepare2(h->svc, &ps.stmt, h->err, oraText(text), ub4(text.size()), nullptr, 0, OCI_NTV_SYNTAX,
                     OCI_DEFAULT),
            sql, true);
        ub2 type = 0;
        lib.attrGet(ps.stmt, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, h->err);

        std::vector<BindBuffer> buffers(binds.size());
        struct FreeCursors {
            const ClientLibrary& lib;
            std::vector<BindBuffer>& buffers;
            ~FreeCursors()
            {
                for (BindBuffer& b : buffers)
                    if (b.cursor)
                        lib.handleFree(b.cursor, OCI_HTYPE_STMT);
            }
        } freeCursors { lib, buffers };
        // A name used several times in the text is one bind: OCI binds every place of it at once. A name given
        // twice is bound from its first entry, and both entries get what comes back.
        std::vector<size_t> bufferOf(binds.size());
        for (size_t i = 0; i < binds.size(); ++i) {
            const driver::Bind& bind = binds[i];
            bufferOf[i] = i;
            for (size_t k = 0; k < i; ++k)
                if (binds[k].name.compare(bind.name, Qt::CaseInsensitive) == 0) {
                    bufferOf[i] = k;
                    break;
                }
            if (bufferOf[i] != i)
                continue;
            BindBuffer& b = buffers[i];
            fillBind(b, bind);
            const QByteArray placeholder = (QLatin1Char(':') + bind.name).toUtf8();
            OCIBind* handle = nullptr;
            sword st;
            if (b.dty == SQLT_RSET) {
                h->alloc(reinterpret_cast<void**>(&b.cursor), OCI_HTYPE_STMT);
                st = lib.bindByName2(ps.stmt, &handle, h->err, oraText(placeholder), sb4(placeholder.size()), &b.cursor,
                    0, SQLT_RSET, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
            } else {
                st = lib.bindByName2(ps.stmt, &handle, h->err, oraText(placeholder), sb4(placeholder.size()),
                    b.data.data(), sb8(b.data.size()), b.dty, &b.ind, &b.alen, &b.rcode, 0, nullptr, OCI_DEFAULT);
            }
            h->check(st, sql, false);
        }

        const bool query = type == OCI_STMT_SELECT;
        if (query) {
            // Set before the execute, so that its round trip already brings the first rows.
            ub4 prefetch = prefetchRows;
            lib.attrSet(ps.stmt, OCI_HTYPE_STMT, &prefetch, sizeof prefetch, OCI_ATTR_PREFETCH_ROWS, h->err);
        }
        h->busy = true;
        const sword st = lib.stmtExecute(h->svc, ps.stmt, h->err, query ? 0 : 1, 0, nullptr, nullptr, OCI_DEFAULT);
        h->busy = false;
        driver::Result r;
        r.kind = statementKindOf(type, sql);
        if (st == OCI_SUCCESS_WITH_INFO) {
            r.warning = h->failure(st, sql, true, ps.stmt);
        } else if (st != OCI_SUCCESS && st != OCI_NO_DATA) {
            OracleError e = h->failure(st, sql, true, ps.stmt);
            refreshTransaction(std::nullopt); // a failed statement ends no transaction, but one may have begun before
            throw e;
        }
        refreshTransaction(r.kind);

        for (size_t i = 0; i < binds.size(); ++i) {
            driver::Bind& bind = binds[i];
            if (bind.direction == BindDirection::In)
                continue;
            BindBuffer& b = buffers[bufferOf[i]];
            if (b.dty == SQLT_RSET) {
                if (b.cursor) {
                    OCIStmt* cursor = std::exchange(b.cursor, nullptr);
                    try {
                        b.opened = std::make_shared<OciCursor>(h, cursor, false);
                    } catch (const OracleError&) {
                        // a cursor the block never opened
                    }
                }
                bind.cursor = b.opened;
                continue;
            }
            if (b.ind == -2 || b.ind > 0 || b.rcode == ORA_TRUNCATED)
                throw truncated(QStringLiteral("The value of :%1").arg(bind.name));
            bind.value = b.ind == -1 ? QVariant() : valueOf(b.dty, bind.type, b.data.data(), b.alen);
        }

        ub4 rows = 0;
        lib.attrGet(ps.stmt, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, h->err);
        r.rowsProcessed = rows;
        if (query)
            r.cursor = std::make_unique<OciCursor>(h, ps.take(), true);
        return r;
    }

    void commit() override
    {
        h->notLoggedOn();
        h->busy = true;
        const sword st = h->lib->transCommit(h->svc, h->err, OCI_DEFAULT);
        h->busy = false;
        h->check(st);
        refreshTransaction(StatementKind::Commit);
    }

    void rollback() override
    {
        h->notLoggedOn();
        h->busy = true;
        const sword st = h->lib->transRollback(h->svc, h->err, OCI_DEFAULT);
        h->busy = false;
        h->check(st);
        refreshTransaction(StatementKind::Rollback);
    }

    // Answered at once, also while another thread runs a call (the client would make a question wait for it).
    bool inTransaction() const override { return h->loggedOn() && transaction; }

    void interrupt() override
    {
        if (h->loggedOn() && h->busy)
            h->lib->breakCall(h->svc, h->breakErr);
    }

    void enableOutput(qint64 bufferSize) override
    {
        std::vector<driver::Bind> binds(1);
        binds[0].name = QStringLiteral("BUFFER_SIZE");
        binds[0].type = FieldType::Number;
        if (bufferSize > 0)
            binds[0].value = bufferSize; // else unlimited
        execute(QStringLiteral("BEGIN DBMS_OUTPUT.ENABLE(:BUFFER_SIZE); END;"), binds);
    }

    void disableOutput() override
    {
        std::vector<driver::Bind> binds;
        execute(QStringLiteral("BEGIN DBMS_OUTPUT.DISABLE; END;"), binds);
    }

    QStringList takeOutputLines() override
    {
        QStringList lines;
        std::vector<driver::Bind> binds(2);
        binds[0].name = QStringLiteral("LINE");
        binds[0].direction = BindDirection::Out;
        binds[1].name = QStringLiteral("STATUS");
        binds[1].direction = BindDirection::Out;
        binds[1].type = FieldType::Number;
        const QString call = QStringLiteral("BEGIN DBMS_OUTPUT.GET_LINE(:LINE, :STATUS); END;");
        for (;;) {
            execute(call, binds);
            if (binds[1].value.toLongLong() != 0)
                break;
            lines << binds[0].value.toString(); // a null line is an empty one
        }
        return lines;
    }

    QString serverVersion() const override
    {
        h->notLoggedOn();
        OraText buf[512] = {};
        h->check(h->lib->serverVersion(h->svc, h->err, buf, sizeof buf, ub1(OCI_HTYPE_SVCCTX)));
        return QString::fromUtf8(reinterpret_cast<const char*>(buf)).section(QLatin1Char('\n'), 0, 0).trimmed();
    }

private:
    // After each call, on the calling thread: clients from 12.1 on know whether a transaction is open; for older
    // ones the statements run tell.
    void refreshTransaction(std::optional<StatementKind> kind)
    {
        ub4 inProgress = 0;
        if (h->lib->attrGet(
                h->session, OCI_HTYPE_SESSION, &inProgress, nullptr, OCI_ATTR_TRANSACTION_IN_PROGRESS, h->err)
            == OCI_SUCCESS) {
            transaction = inProgress != 0;
            return;
        }
        if (!kind)
            return;
        switch (*kind) {
        case StatementKind::Insert:
        case StatementKind::Update:
        case StatementKind::Delete:
        case StatementKind::LockTable:
        case StatementKind::PlSql:
        case StatementKind::Other:
            transaction = true;
            break;
        case StatementKind::Commit:
        case StatementKind::Rollback:
        case StatementKind::Ddl:
            transaction = false;
            break;
        default:
            break;
        }
    }

    std::shared_ptr<SessionHandles> h;
    std::atomic<bool> transaction { false };
};

class OciDriver : public driver::Driver {
public:
    QString databaseKind() const override { return QStringLiteral("Oracle"); }

    std::unique_ptr<driver::Connection> logOn(const driver::LogonValues& logon) override
    {
        std::shared_ptr<Environment> environment = this->environment(logon.database);
        auto h = std::make_shared<SessionHandles>();
        h->environment = environment;
        h->lib = environment->lib.get();
        h->alloc(reinterpret_cast<void**>(&h->err), OCI_HTYPE_ERROR);
        h->alloc(reinterpret_cast<void**>(&h->breakErr), OCI_HTYPE_ERROR);
        h->alloc(reinterpret_cast<void**>(&h->server), OCI_HTYPE_SERVER);
        h->alloc(reinterpret_cast<void**>(&h->svc), OCI_HTYPE_SVCCTX);
        h->alloc(reinterpret_cast<void**>(&h->session), OCI_HTYPE_SESSION);
        const ClientLibrary& lib = *h->lib;
        const QByteArray database = logon.database.trimmed().toUtf8();
        h->check(lib.serverAttach(h->server, h->err, oraText(database), sb4(database.size()), OCI_DEFAULT));
        h->attached = true;
        h->check(lib.attrSet(h->svc, OCI_HTYPE_SVCCTX, h->server, 0, OCI_ATTR_SERVER, h->err));
        QByteArray user = logon.user.toUtf8();
        QByteArray password = logon.password.toUtf8();
        h->check(lib.attrSet(h->session, OCI_HTYPE_SESSION, user.data(), ub4(user.size()), OCI_ATTR_USERNAME, h->err));
        h->check(lib.attrSet(
            h->session, OCI_HTYPE_SESSION, password.data(), ub4(password.size()), OCI_ATTR_PASSWORD, h->err));
        password.fill('\0');
        const sword st
            = lib.sessionBegin(h->svc, h->err, h->session, OCI_CRED_RDBMS, logon.sysdba ? OCI_SYSDBA : OCI_DEFAULT);
        h->check(st); // success with info (a password about to expire) still logs on
        h->begun = true;
        h->check(lib.attrSet(h->svc, OCI_HTYPE_SVCCTX, h->session, 0, OCI_ATTR_SESSION, h->err));
        return std::make_unique<OciConnection>(std::move(h));
    }

private:
    std::shared_ptr<Environment> environment(const QString& database)
    {
        std::lock_guard lock(mutex);
        if (env)
            return env;
        std::shared_ptr<const ClientLibrary> lib;
        try {
            lib = loadClientLibrary();
        } catch (OracleError& e) {
            e.addContext(QStringLiteral("Database \"%1\" is not an embedded database, so it is reached through "
                                        "the Oracle client.")
                             .arg(database.trimmed()));
            throw;
        }
        watchProcessExit();
        auto e = std::make_shared<Environment>();
        e->lib = lib;
        const sword st = lib->envNlsCreate(
            &e->env, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr, AL32UTF8, AL32UTF8);
        if (st != OCI_SUCCESS) {
            OracleError err = e->env ? errorOf(*lib, e->env, OCI_HTYPE_ENV, st)
                                     : OracleError::client(QStringLiteral("The Oracle client (%1) could not create "
                                                                          "its environment (status %2).")
                                                               .arg(lib->path)
                                                               .arg(st));
            throw err;
        }
        env = e;
        return env;
    }

    std::mutex mutex;
    std::shared_ptr<Environment> env;
};

} // namespace

std::shared_ptr<driver::Driver> clientDriver()
{
    static const std::shared_ptr<driver::Driver> driver = std::make_shared<OciDriver>();
    return driver;
}

std::shared_ptr<driver::Driver> newClientDriver()
{
    return std::make_shared<OciDriver>();
}

std::array<std::uint8_t, 7> toOracleDate(const QDateTime& value)
{
    const QDate d = value.date();
    const QTime t = value.time();
    const int year = d.year();
    return { std::uint8_t(year / 100 + 100), std::uint8_t(year % 100 + 100), std::uint8_t(d.month()),
        std::uint8_t(d.day()), std::uint8_t(t.hour() + 1), std::uint8_t(t.minute() + 1), std::uint8_t(t.second() + 1) };
}

QDateTime fromOracleDate(const std::uint8_t* b)
{
    const int year = (b[0] - 100) * 100 + (b[1] - 100);
    return QDateTime(QDate(year, b[2], b[3]), QTime(b[4] - 1, b[5] - 1, b[6] - 1), Qt::UTC);
}

QVariant fromVarnum(const std::uint8_t* bytes)
{
    const int length = bytes[0];
    if (length < 1 || length > numberBufferSize - 1)
        return {};
    const std::string text = numberToText(bytes + 1, length);
    if (text.empty())
        return {};
    if (text.find('.') == std::string::npos) {
        bool ok = false;
        const qint64 n = QByteArray::fromStdString(text).toLongLong(&ok);
        if (ok)
            return QVariant::fromValue<qint64>(n);
    }
    return QByteArray::fromStdString(text).toDouble();
}

StatementKind statementKindOf(int ociStatementType, const QString& sql)
{
    switch (ociStatementType) {
    case OCI_STMT_SELECT:
        return StatementKind::Select;
    case OCI_STMT_UPDATE:
        return StatementKind::Update;
    case OCI_STMT_DELETE:
        return StatementKind::Delete;
    case OCI_STMT_INSERT:
        return StatementKind::Insert;
    case OCI_STMT_BEGIN:
    case OCI_STMT_DECLARE:
    case OCI_STMT_CALL:
        return StatementKind::PlSql;
    default:
        break;
    }
    QStringList words;
    for (const sqltext::Token& t : sqltext::tokenize(sql)) {
        if (t.kind != sqltext::Token::Kind::Word)
            break;
        words << t.text;
        if (words.size() == 2)
            break;
    }
    const QString first = words.value(0);
    const QString second = words.value(1);
    if (first == QLatin1String("COMMIT"))
        return StatementKind::Commit;
    if (first == QLatin1String("ROLLBACK"))
        return StatementKind::Rollback;
    if (first == QLatin1String("SAVEPOINT"))
        return StatementKind::Savepoint;
    if (first == QLatin1String("SET") && second == QLatin1String("TRANSACTION"))
        return StatementKind::SetTransaction;
    if (first == QLatin1String("ALTER") && second == QLatin1String("SESSION"))
        return StatementKind::AlterSession;
    if (first == QLatin1String("LOCK"))
        return StatementKind::LockTable;
    if (ociStatementType == OCI_STMT_CREATE || ociStatementType == OCI_STMT_DROP || ociStatementType == OCI_STMT_ALTER)
        return StatementKind::Ddl;
    static const QStringList ddl { QStringLiteral("CREATE"), QStringLiteral("DROP"), QStringLiteral("ALTER"),
        QStringLiteral("TRUNCATE"), QStringLiteral("GRANT"), QStringLiteral("REVOKE"), QStringLiteral("COMMENT"),
        QStringLiteral("RENAME"), QStringLiteral("ANALYZE"), QStringLiteral("AUDIT"), QStringLiteral("NOAUDIT"),
        QStringLiteral("PURGE"), QStringLiteral("FLASHBACK") };
    if (ddl.contains(first))
        return StatementKind::Ddl;
    return StatementKind::Other;
}

} // namespace db::oci
