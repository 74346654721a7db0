// A scripted stand-in for the Oracle client library: every OCI entry point the driver uses, answering from a JSON
// script instead of a server. Handles are plain objects; binds and defines are read and written exactly as the
// client would, through the caller's buffers, so the driver's data paths run for real.
#include "db/oci/ociapi.h"
#include "db/oci/ocinumber.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

using namespace db::oci::api;

#if defined(_WIN32)
#define FAKE_EXPORT extern "C" __declspec(dllexport)
#else
#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

struct Handle {
    explicit Handle(ub4 type)
        : type(type)
    {
    }
    virtual ~Handle() = default;
    ub4 type;
};

struct Plain : Handle {
    Plain()
        : Handle(0)
    {
    }
};

struct Error : Handle {
    Error()
        : Handle(OCI_HTYPE_ERROR)
    {
    }
    int code = 0;
    std::string message;
    ub2 offset = 0;
    void set(int c, const std::string& m, int off = 0)
    {
        code = c;
        message = m;
        offset = ub2(off);
    }
};

struct Bind : Handle {
    Bind()
        : Handle(OCI_HTYPE_BIND)
    {
    }
    std::string name;
    void* valuep = nullptr;
    sb8 size = 0;
    ub2 dty = 0;
    sb2* ind = nullptr;
    ub4* alen = nullptr;
    ub2* rcode = nullptr;
};

struct Define : Handle {
    Define()
        : Handle(OCI_HTYPE_DEFINE)
    {
    }
    ub4 position = 0;
    char* valuep = nullptr;
    sb8 size = 0;
    ub2 dty = 0;
    sb2* ind = nullptr;
    ub4* rlen = nullptr;
    ub2* rcode = nullptr;
};

struct SvcCtx;

struct Stmt : Handle {
    Stmt()
        : Handle(OCI_HTYPE_STMT)
    {
    }
    std::string sql;
    QJsonObject script;
    QJsonArray columns;
    QJsonArray rows;
    int next = 0;
    ub4 fetchedLast = 0;
    ub4 prefetch = 0;
    std::map<std::string, std::unique_ptr<Bind>> binds;
    std::map<ub4, std::unique_ptr<Define>> defines;
    SvcCtx* svc = nullptr; // the connection that executed it
};

struct Param : Handle {
    Param()
        : Handle(OCI_DTYPE_PARAM)
    {
    }
    QJsonObject column;
    QByteArray name;
};

struct Session : Handle {
    Session()
        : Handle(OCI_HTYPE_SESSION)
    {
    }
    std::string user;
    std::string password;
};

struct SvcCtx : Handle {
    SvcCtx()
        : Handle(OCI_HTYPE_SVCCTX)
    {
    }
    bool broken = false;
    bool running = false;
};

struct Fake {
    std::mutex mutex;
    std::condition_variable cv;
    QJsonObject config;
    QStringList log;
    std::string logText;
    QStringList output;
    std::map<Handle*, std::unique_ptr<Handle>> live; // every handle handed out and not yet freed
    bool inTransaction = false;
    bool waiting = false;
};

Fake& fake()
{
    static Fake f;
    return f;
}

void note(const QString& line)
{
    fake().log << line;
}

template <class T> T* make()
{
    auto h = std::make_unique<T>();
    T* raw = h.get();
    fake().live.emplace(raw, std::move(h));
    return raw;
}

void destroy(Handle* h)
{
    fake().live.erase(h);
}

Error* errorOf(OCIError* e)
{
    return reinterpret_cast<Error*>(e);
}

QByteArray dateBytes(const QString& text)
{
    const QDateTime dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const int y = dt.date().year();
    QByteArray b(7, '\0');
    b[0] = char(y / 100 + 100);
    b[1] = char(y % 100 + 100);
    b[2] = char(dt.date().month());
    b[3] = char(dt.date().day());
    b[4] = char(dt.time().hour() + 1);
    b[5] = char(dt.time().minute() + 1);
    b[6] = char(dt.time().second() + 1);
    return b;
}

QString jsonText(const QJsonValue& v)
{
    if (v.isDouble())
        return QString::number(v.toDouble(), 'g', 17);
    return v.toString();
}

// The external form of a script value for a buffer of type dty.
QByteArray encode(ub2 dty, const QJsonValue& v)
{
    switch (dty) {
    case SQLT_VNU: {
        const auto n = db::oci::textToNumber(jsonText(v).toStdString());
        if (!n)
            return {};
        QByteArray b(1, char(n->size()));
        b.append(reinterpret_cast<const char*>(n->data()), qsizetype(n->size()));
        return b;
    }
    case SQLT_DAT:
        return dateBytes(v.toString());
    default:
        return jsonText(v).toUtf8();
    }
}

QString decode(ub2 dty, const char* data, ub4 length)
{
    switch (dty) {
    case SQLT_VNU:
        return QString::fromStdString(db::oci::numberToText(
            reinterpret_cast<const std::uint8_t*>(data) + 1, static_cast<unsigned char>(data[0])));
    case SQLT_DAT: {
        const auto* b = reinterpret_cast<const std::uint8_t*>(data);
        return QStringLiteral("%1-%2-%3 %4:%5:%6")
            .arg((b[0] - 100) * 100 + b[1] - 100, 4, 10, QLatin1Char('0'))
            .arg(b[2], 2, 10, QLatin1Char('0'))
            .arg(b[3], 2, 10, QLatin1Char('0'))
            .arg(b[4] - 1, 2, 10, QLatin1Char('0'))
            .arg(b[5] - 1, 2, 10, QLatin1Char('0'))
            .arg(b[6] - 1, 2, 10, QLatin1Char('0'));
    }
    case SQLT_BIN:
    case SQLT_LBI:
        return QStringLiteral("0x") + QString::fromLatin1(QByteArray(data, qsizetype(length)).toHex());
    default:
        return QString::fromUtf8(data, qsizetype(length));
    }
}

// Writes value into one element of a caller's buffer; true when it was cut to fit.
bool store(const QJsonValue& value, ub2 dty, char* data, sb8 size, sb2* ind, ub4* len, ub2* rcode)
{
    if (rcode)
        *rcode = 0;
    if (value.isNull() || value.isUndefined()) {
        if (ind)
            *ind = -1;
        if (len)
            *len = 0;
        return false;
    }
    const QByteArray bytes = encode(dty, value);
    const bool cut = bytes.size() > size;
    const qsizetype n = cut ? qsizetype(size) : bytes.size();
    std::memcpy(data, bytes.constData(), size_t(n));
    if (len)
        *len = ub4(n);
    if (ind)
        *ind = cut ? sb2(std::min<qsizetype>(bytes.size(), 32767)) : sb2(0);
    if (cut && rcode)
        *rcode = ub2(ORA_TRUNCATED);
    return cut;
}

QJsonObject scriptFor(const std::string& sql)
{
    const QString text = QString::fromStdString(sql);
    for (const QJsonValue& v : fake().config.value(QStringLiteral("statements")).toArray()) {
        const QJsonObject s = v.toObject();
        if (text.contains(s.value(QStringLiteral("match")).toString(), Qt::CaseInsensitive))
            return s;
    }
    return {};
}

ub2 typeOf(const std::string& sql, const QJsonObject& script)
{
    if (script.contains(QStringLiteral("type")))
        return ub2(script.value(QStringLiteral("type")).toInt());
    const QString t = QString::fromStdString(sql).trimmed().toUpper();
    if (t.startsWith(QLatin1String("SELECT")) || t.startsWith(QLatin1String("WITH")))
        return OCI_STMT_SELECT;
    if (t.startsWith(QLatin1String("BEGIN")) || t.startsWith(QLatin1String("DECLARE")))
        return OCI_STMT_BEGIN;
    if (t.startsWith(QLatin1String("INSERT")))
        return OCI_STMT_INSERT;
    if (t.startsWith(QLatin1String("UPDATE")))
        return OCI_STMT_UPDATE;
    if (t.startsWith(QLatin1String("DELETE")))
        return OCI_STMT_DELETE;
    if (t.startsWith(QLatin1String("CREATE")))
        return OCI_STMT_CREATE;
    return 0;
}

sword fail(Error* err, int code, const QString& message, int offset = 0)
{
    if (err)
        err->set(code, message.toStdString(), offset);
    return OCI_ERROR;
}

} // namespace

FAKE_EXPORT void fakeoci_configure(const char* json)
{
    Fake& f = fake();
    std::lock_guard lock(f.mutex);
    f.config = QJsonDocument::fromJson(QByteArray(json)).object();
    f.log.clear();
    f.output.clear();
    for (const QJsonValue& v : f.config.value(QStringLiteral("output")).toArray())
        f.output << v.toString();
    f.inTransaction = false;
    f.waiting = false;
}

FAKE_EXPORT const char* fakeoci_log()
{
    Fake& f = fake();
    std::lock_guard lock(f.mutex);
    f.logText = QJsonDocument(QJsonArray::fromStringList(f.log)).toJson(QJsonDocument::Compact).toStdString();
    return f.logText.c_str();
}

FAKE_EXPORT int fakeoci_waiting()
{
    std::lock_guard lock(fake().mutex);
    return fake().waiting ? 1 : 0;
}

FAKE_EXPORT int fakeoci_live_handles()
{
    std::lock_guard lock(fake().mutex);
    return int(fake().live.size());
}

FAKE_EXPORT sword OCIEnvNlsCreate(OCIEnv** envhpp, ub4 mode, void*, void* (*)(void*, size_t),
    void* (*)(void*, void*, size_t), void (*)(void*, void*), size_t, void**, ub2 charset, ub2 ncharset)
{
    std::lock_guard lock(fake().mutex);
    Handle* env = make<Plain>();
    env->type = OCI_HTYPE_ENV;
    *envhpp = reinterpret_cast<OCIEnv*>(env);
    note(QStringLiteral("environment mode=%1 charset=%2/%3").arg(mode).arg(charset).arg(ncharset));
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIHandleAlloc(const void*, void** hndlpp, ub4 type, size_t, void**)
{
    std::lock_guard lock(fake().mutex);
    Handle* h = nullptr;
    switch (type) {
    case OCI_HTYPE_ERROR:
        h = make<Error>();
        break;
    case OCI_HTYPE_STMT:
        h = make<Stmt>();
        break;
    case OCI_HTYPE_SESSION:
        h = make<Session>();
        break;
    case OCI_HTYPE_SVCCTX:
        h = make<SvcCtx>();
        break;
    default:
        h = make<Plain>();
        h->type = type;
        break;
    }
    *hndlpp = h;
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIHandleFree(void* hndlp, ub4)
{
    std::lock_guard lock(fake().mutex);
    destroy(static_cast<Handle*>(hndlp));
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIDescriptorFree(void* descp, ub4)
{
    std::lock_guard lock(fake().mutex);
    // A client reuses a freed parameter's memory at once: what a caller still reads through the name it got from
    // the parameter is scribbled over first, so such a read shows in every build.
    if (auto* p = dynamic_cast<Param*>(static_cast<Handle*>(descp)))
        p->name.fill('\xdd');
    destroy(static_cast<Handle*>(descp));
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIErrorGet(void* hndlp, ub4 recordno, OraText*, sb4* errcodep, OraText* bufp, ub4 bufsiz, ub4)
{
    std::lock_guard lock(fake().mutex);
    auto* e = static_cast<Error*>(static_cast<Handle*>(hndlp));
    if (recordno != 1 || e->code == 0)
        return OCI_NO_DATA;
    *errcodep = e->code;
    const std::string text = e->message + "\n";
    std::strncpy(reinterpret_cast<char*>(bufp), text.c_str(), bufsiz - 1);
    bufp[bufsiz - 1] = 0;
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIAttrGet(
    const void* trgthndlp, ub4 trghndltyp, void* attributep, ub4* sizep, ub4 attrtype, OCIError*)
{
    std::lock_guard lock(fake().mutex);
    auto* h = static_cast<Handle*>(const_cast<void*>(trgthndlp));
    if (trghndltyp == OCI_HTYPE_ERROR && attrtype == OCI_ATTR_PARSE_ERROR_OFFSET) {
        *static_cast<ub2*>(attributep) = static_cast<Error*>(h)->offset;
        return OCI_SUCCESS;
    }
    if (trghndltyp == OCI_HTYPE_SESSION && attrtype == OCI_ATTR_TRANSACTION_IN_PROGRESS) {
        if (fake().config.value(QStringLiteral("oldClient")).toBool())
            return OCI_ERROR;
        *static_cast<ub4*>(attributep) = fake().inTransaction ? 1 : 0;
        return OCI_SUCCESS;
    }
    if (trghndltyp == OCI_HTYPE_STMT) {
        auto* s = static_cast<Stmt*>(h);
        switch (attrtype) {
        case OCI_ATTR_STMT_TYPE:
            *static_cast<ub2*>(attributep) = typeOf(s->sql, s->script);
            return OCI_SUCCESS;
        case OCI_ATTR_ROW_COUNT:
            *static_cast<ub4*>(attributep) = s->script.contains(QStringLiteral("rowCount"))
                ? ub4(s->script.value(QStringLiteral("rowCount")).toInt())
                : ub4(s->next);
            return OCI_SUCCESS;
        case OCI_ATTR_ROWS_FETCHED:
            *static_cast<ub4*>(attributep) = s->fetchedLast;
            return OCI_SUCCESS;
        case OCI_ATTR_PARAM_COUNT:
            *static_cast<ub4*>(attributep) = ub4(s->columns.size());
            return OCI_SUCCESS;
        default:
            return OCI_ERROR;
        }
    }
    if (trghndltyp == OCI_DTYPE_PARAM) {
        auto* p = static_cast<Param*>(h);
        const QJsonObject& c = p->column;
        switch (attrtype) {
        case OCI_ATTR_DATA_TYPE:
            *static_cast<ub2*>(attributep) = ub2(c.value(QStringLiteral("type")).toInt(SQLT_CHR));
            return OCI_SUCCESS;
        case OCI_ATTR_DATA_SIZE:
            *static_cast<ub2*>(attributep) = ub2(c.value(QStringLiteral("size")).toInt(22));
            return OCI_SUCCESS;
        case OCI_ATTR_CHAR_SIZE:
            *static_cast<ub2*>(attributep) = ub2(c.value(QStringLiteral("charSize")).toInt(0));
            return OCI_SUCCESS;
        case OCI_ATTR_PRECISION:
            *static_cast<sb2*>(attributep) = sb2(c.value(QStringLiteral("precision")).toInt(0));
            return OCI_SUCCESS;
        case OCI_ATTR_SCALE:
            *static_cast<sb1*>(attributep) = sb1(c.value(QStringLiteral("scale")).toInt(0));
            return OCI_SUCCESS;
        case OCI_ATTR_IS_NULL:
            *static_cast<ub1*>(attributep) = c.value(QStringLiteral("nullable")).toBool(true) ? 1 : 0;
            return OCI_SUCCESS;
        case OCI_ATTR_NAME:
            p->name = c.value(QStringLiteral("name")).toString().toUtf8();
            *static_cast<OraText**>(attributep) = reinterpret_cast<OraText*>(p->name.data());
            *sizep = ub4(p->name.size());
            return OCI_SUCCESS;
        default:
            return OCI_ERROR;
        }
    }
    return OCI_ERROR;
}

FAKE_EXPORT sword OCIAttrSet(void* trgthndlp, ub4 trghndltyp, void* attributep, ub4 size, ub4 attrtype, OCIError*)
{
    std::lock_guard lock(fake().mutex);
    auto* h = static_cast<Handle*>(trgthndlp);
    if (trghndltyp == OCI_HTYPE_SESSION && attrtype == OCI_ATTR_USERNAME)
        static_cast<Session*>(h)->user.assign(static_cast<const char*>(attributep), size);
    else if (trghndltyp == OCI_HTYPE_SESSION && attrtype == OCI_ATTR_PASSWORD)
        static_cast<Session*>(h)->password.assign(static_cast<const char*>(attributep), size);
    else if (trghndltyp == OCI_HTYPE_STMT && attrtype == OCI_ATTR_PREFETCH_ROWS)
        static_cast<Stmt*>(h)->prefetch = *static_cast<ub4*>(attributep);
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIServerAttach(OCIServer*, OCIError* errhp, const OraText* dblink, sb4 dblinkLen, ub4)
{
    std::lock_guard lock(fake().mutex);
    const QString alias = QString::fromUtf8(reinterpret_cast<const char*>(dblink), dblinkLen);
    note(QStringLiteral("attach %1").arg(alias));
    const QJsonArray aliases = fake().config.value(QStringLiteral("aliases")).toArray();
    if (!aliases.isEmpty() && !aliases.contains(QJsonValue(alias.toUpper())))
        return fail(
            errorOf(errhp), 12154, QStringLiteral("ORA-12154: TNS:could not resolve the connect identifier specified"));
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIServerDetach(OCIServer*, OCIError*, ub4)
{
    std::lock_guard lock(fake().mutex);
    note(QStringLiteral("detach"));
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCISessionBegin(OCISvcCtx*, OCIError* errhp, OCISession* usrhp, ub4 credt, ub4 mode)
{
    std::lock_guard lock(fake().mutex);
    auto* s = reinterpret_cast<Session*>(usrhp);
    note(QStringLiteral("logon %1 cred=%2 mode=%3").arg(QString::fromStdString(s->user)).arg(credt).arg(mode));
    const QJsonObject users = fake().config.value(QStringLiteral("users")).toObject();
    const QString user = QString::fromStdString(s->user).toUpper();
    if (!users.contains(user) || users.value(user).toString() != QString::fromStdString(s->password))
        return fail(errorOf(errhp), 1017, QStringLiteral("ORA-01017: invalid username/password; logon denied"));
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCISessionEnd(OCISvcCtx*, OCIError*, OCISession*, ub4)
{
    std::lock_guard lock(fake().mutex);
    note(QStringLiteral("logoff"));
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIStmtPrepare2(
    OCISvcCtx*, OCIStmt** stmthp, OCIError*, const OraText* stmttext, ub4 stmtLen, const OraText*, ub4, ub4, ub4)
{
    std::lock_guard lock(fake().mutex);
    Stmt* s = make<Stmt>();
    s->sql.assign(reinterpret_cast<const char*>(stmttext), stmtLen);
    s->script = scriptFor(s->sql);
    *stmthp = reinterpret_cast<OCIStmt*>(s);
    note(QStringLiteral("prepare %1").arg(QString::fromStdString(s->sql)));
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIStmtRelease(OCIStmt* stmthp, OCIError*, const OraText*, ub4, ub4)
{
    std::lock_guard lock(fake().mutex);
    destroy(reinterpret_cast<Stmt*>(stmthp));
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIBindByName2(OCIStmt* stmtp, OCIBind** bindpp, OCIError*, const OraText* placeholder, sb4 placehLen,
    void* valuep, sb8 valueSz, ub2 dty, void* indp, ub4* alenp, ub2* rcodep, ub4, ub4*, ub4)
{
    std::lock_guard lock(fake().mutex);
    auto* s = reinterpret_cast<Stmt*>(stmtp);
    auto b = std::make_unique<Bind>();
    b->name = QString::fromUtf8(reinterpret_cast<const char*>(placeholder), placehLen).mid(1).toUpper().toStdString();
    b->valuep = valuep;
    b->size = valueSz;
    b->dty = dty;
    b->ind = static_cast<sb2*>(indp);
    b->alen = alenp;
    b->rcode = rcodep;
    *bindpp = reinterpret_cast<OCIBind*>(b.get());
    s->binds[b->name] = std::move(b);
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIDefineByPos2(OCIStmt* stmtp, OCIDefine** defnpp, OCIError*, ub4 position, void* valuep,
    sb8 valueSz, ub2 dty, void* indp, ub4* rlenp, ub2* rcodep, ub4)
{
    std::lock_guard lock(fake().mutex);
    auto* s = reinterpret_cast<Stmt*>(stmtp);
    auto d = std::make_unique<Define>();
    d->position = position;
    d->valuep = static_cast<char*>(valuep);
    d->size = valueSz;
    d->dty = dty;
    d->ind = static_cast<sb2*>(indp);
    d->rlen = rlenp;
    d->rcode = rcodep;
    *defnpp = reinterpret_cast<OCIDefine*>(d.get());
    note(QStringLiteral("define %1 dty=%2 size=%3").arg(position).arg(dty).arg(valueSz));
    s->defines[position] = std::move(d);
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIParamGet(const void* hndlp, ub4, OCIError*, void** parmdpp, ub4 pos)
{
    std::lock_guard lock(fake().mutex);
    auto* s = static_cast<Stmt*>(static_cast<Handle*>(const_cast<void*>(hndlp)));
    if (pos < 1 || pos > ub4(s->columns.size()))
        return OCI_ERROR;
    Param* p = make<Param>();
    p->column = s->columns.at(qsizetype(pos - 1)).toObject();
    *parmdpp = p;
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIStmtExecute(
    OCISvcCtx* svchp, OCIStmt* stmtp, OCIError* errhp, ub4 iters, ub4, const OCISnapshot*, OCISnapshot*, ub4)
{
    Fake& f = fake();
    std::unique_lock lock(f.mutex);
    auto* s = reinterpret_cast<Stmt*>(stmtp);
    auto* svc = reinterpret_cast<SvcCtx*>(svchp);
    Error* err = errorOf(errhp);
    err->set(0, {});
    note(QStringLiteral("execute iters=%1 prefetch=%2").arg(iters).arg(s->prefetch));
    for (const auto& [name, b] : s->binds) {
        const QString n = QString::fromStdString(name);
        if (b->dty == SQLT_RSET)
            note(QStringLiteral("bind %1 %2 cursor").arg(n).arg(b->dty));
        else if (b->ind && *b->ind == -1)
            note(QStringLiteral("bind %1 %2 NULL").arg(n).arg(b->dty));
        else
            note(QStringLiteral("bind %1 %2 %3")
                     .arg(n)
                     .arg(b->dty)
                     .arg(decode(b->dty, static_cast<const char*>(b->valuep), *b->alen)));
    }
    s->svc = svc;
    const QJsonObject& script = s->script;
    const QString sql = QString::fromStdString(s->sql);
    if (script.value(QStringLiteral("blockUntilBreak")).toBool()) {
        svc->running = true;
        f.waiting = true;
        const bool broken = f.cv.wait_for(lock, std::chrono::seconds(30), [&] { return svc->broken; });
        svc->running = false;
        svc->broken = false;
        f.waiting = false;
        if (!broken)
            return fail(err, 3113, QStringLiteral("ORA-03113: end-of-file on communication channel (no break came)"));
        return fail(
            err, ORA_USER_REQUESTED_CANCEL, QStringLiteral("ORA-01013: user requested cancel of current operation"));
    }
    if (script.contains(QStringLiteral("error"))) {
        const QJsonObject e = script.value(QStringLiteral("error")).toObject();
        return fail(err, e.value(QStringLiteral("code")).toInt(), e.value(QStringLiteral("message")).toString(),
            e.value(QStringLiteral("offset")).toInt());
    }
    if (sql.contains(QLatin1String("DBMS_OUTPUT.GET_LINE"))) {
        Bind* line = s->binds.count("LINE") ? s->binds["LINE"].get() : nullptr;
        Bind* status = s->binds.count("STATUS") ? s->binds["STATUS"].get() : nullptr;
        if (!line || !status)
            return fail(err, 1008, QStringLiteral("ORA-01008: not all variables bound"));
        const bool any = !f.output.isEmpty();
        store(any ? QJsonValue(f.output.takeFirst()) : QJsonValue(), line->dty, static_cast<char*>(line->valuep),
            line->size, line->ind, line->alen, line->rcode);
        store(QJsonValue(any ? 0 : 1), status->dty, static_cast<char*>(status->valuep), status->size, status->ind,
            status->alen, status->rcode);
        return OCI_SUCCESS;
    }
    const QJsonObject out = script.value(QStringLiteral("out")).toObject();
    for (auto it = out.begin(); it != out.end(); ++it) {
        auto b = s->binds.find(it.key().toUpper().toStdString());
        if (b == s->binds.end())
            return fail(err, 1006, QStringLiteral("ORA-01006: bind variable does not exist"));
        Bind& bind = *b->second;
        if (bind.dty == SQLT_RSET) {
            auto* cursor = *static_cast<Stmt**>(bind.valuep);
            const QJsonObject c = it.value().toObject();
            cursor->columns = c.value(QStringLiteral("columns")).toArray();
            cursor->rows = c.value(QStringLiteral("rows")).toArray();
            continue;
        }
        store(it.value(), bind.dty, static_cast<char*>(bind.valuep), bind.size, bind.ind, bind.alen, bind.rcode);
    }
    if (script.value(QStringLiteral("transaction")).toBool())
        f.inTransaction = true;
    s->columns = script.value(QStringLiteral("columns")).toArray();
    s->rows = script.value(QStringLiteral("rows")).toArray();
    s->next = 0;
    if (script.contains(QStringLiteral("warning"))) {
        const QJsonObject w = script.value(QStringLiteral("warning")).toObject();
        err->set(w.value(QStringLiteral("code")).toInt(), w.value(QStringLiteral("message")).toString().toStdString());
        return OCI_SUCCESS_WITH_INFO;
    }
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIStmtFetch2(OCIStmt* stmthp, OCIError* errhp, ub4 nrows, ub2, sb4, ub4)
{
    std::unique_lock lock(fake().mutex);
    auto* s = reinterpret_cast<Stmt*>(stmthp);
    note(QStringLiteral("fetch %1").arg(nrows));
    // A query whose rows are slow to come: the first fetch after the first array waits for a break.
    if (s->script.value(QStringLiteral("blockFetchUntilBreak")).toBool() && s->next > 0 && s->svc) {
        Fake& f = fake();
        s->svc->running = true;
        f.waiting = true;
        const bool broken = f.cv.wait_for(lock, std::chrono::seconds(30), [&] { return s->svc->broken; });
        s->svc->running = false;
        s->svc->broken = false;
        f.waiting = false;
        return broken ? fail(errorOf(errhp), ORA_USER_REQUESTED_CANCEL,
                   QStringLiteral("ORA-01013: user requested cancel of current operation"))
                      : fail(errorOf(errhp), 3113, QStringLiteral("ORA-03113: end-of-file on communication channel"));
    }
    ub4 n = 0;
    bool cut = false;
    while (n < nrows && s->next < s->rows.size()) {
        const QJsonArray row = s->rows.at(s->next).toArray();
        for (auto& [pos, d] : s->defines) {
            cut = store(row.at(qsizetype(pos - 1)), d->dty, d->valuep + sb8(n) * d->size, d->size, d->ind + n,
                      d->rlen + n, d->rcode + n)
                || cut;
        }
        ++n;
        ++s->next;
    }
    s->fetchedLast = n;
    if (n < nrows)
        return OCI_NO_DATA;
    if (cut) {
        errorOf(errhp)->set(ORA_FETCHED_WITH_WARNINGS, "ORA-24345: A Truncation or null fetch error occurred");
        return OCI_SUCCESS_WITH_INFO;
    }
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCITransCommit(OCISvcCtx*, OCIError*, ub4)
{
    std::lock_guard lock(fake().mutex);
    note(QStringLiteral("commit"));
    fake().inTransaction = false;
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCITransRollback(OCISvcCtx*, OCIError*, ub4)
{
    std::lock_guard lock(fake().mutex);
    note(QStringLiteral("rollback"));
    fake().inTransaction = false;
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIBreak(void* hndlp, OCIError*)
{
    Fake& f = fake();
    std::lock_guard lock(f.mutex);
    note(QStringLiteral("break"));
    auto* svc = static_cast<SvcCtx*>(static_cast<Handle*>(hndlp));
    if (svc->running) {
        svc->broken = true;
        f.cv.notify_all();
    }
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIReset(void*, OCIError*)
{
    std::lock_guard lock(fake().mutex);
    note(QStringLiteral("reset"));
    return OCI_SUCCESS;
}

FAKE_EXPORT sword OCIServerVersion(void*, OCIError*, OraText* bufp, ub4 bufsz, ub1)
{
    std::lock_guard lock(fake().mutex);
    const QByteArray v = fake().config.value(QStringLiteral("version")).toString().toUtf8();
    std::strncpy(reinterpret_cast<char*>(bufp), v.constData(), bufsz - 1);
    bufp[bufsz - 1] = 0;
    return OCI_SUCCESS;
}
