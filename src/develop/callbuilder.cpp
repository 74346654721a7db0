#include "develop/callbuilder.h"

#include "db/query.h"
#include "db/session.h"

namespace develop {

namespace {

const QString kIndent(8, QLatin1Char(' '));

QString quoted(const QString& value)
{
    QString v = value;
    v.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

bool isOut(const ArgumentRow& r)
{
    return r.inOut.toUpper().contains(QLatin1String("OUT"));
}

bool isBoolean(const QString& upperType)
{
    return upperType == QLatin1String("PL/SQL BOOLEAN") || upperType == QLatin1String("BOOLEAN");
}

bool isNumeric(const QString& upperType)
{
    static const QStringList numeric { QStringLiteral("NUMBER"), QStringLiteral("INTEGER"), QStringLiteral("INT"),
        QStringLiteral("SMALLINT"), QStringLiteral("DECIMAL"), QStringLiteral("FLOAT"), QStringLiteral("REAL"),
        QStringLiteral("BINARY_INTEGER"), QStringLiteral("PLS_INTEGER"), QStringLiteral("BINARY_FLOAT"),
        QStringLiteral("BINARY_DOUBLE"), QStringLiteral("NATURAL"), QStringLiteral("POSITIVE") };
    return numeric.contains(upperType);
}

QString dateLiteral(const QString& value)
{
    return QStringLiteral("to_date(") + quoted(value) + QStringLiteral(",'DD.MM.YYYY')");
}

// The declaration of an OUT or IN OUT parameter's variable, initialised with the typed value.
QString declaration(const ArgumentRow& r)
{
    const QString type = r.dataType.toUpper();
    const QString& v = r.value;
    if (type == QLatin1String("VARCHAR2"))
        return QStringLiteral("VARCHAR2(200):=") + quoted(v) + QLatin1Char(' ');
    if (type.contains(QLatin1String("CHAR")))
        return r.dataType + QStringLiteral("(200) :=") + quoted(v);
    if (type == QLatin1String("DATE"))
        return r.dataType + QStringLiteral(" :=") + (v.isEmpty() ? QStringLiteral("NULL") : dateLiteral(v));
    // A BOOLEAN starts as NULL by itself.
    if (isBoolean(type))
        return v.isEmpty() ? QStringLiteral("BOOLEAN") : QStringLiteral("BOOLEAN :=") + v;
    if (type == QLatin1String("REF CURSOR"))
        return QStringLiteral("SYS_REFCURSOR");
    if (isNumeric(type))
        return r.dataType + QStringLiteral(" :=") + (v.isEmpty() ? QStringLiteral("0") : v);
    return r.dataType + QStringLiteral(" :=") + (v.isEmpty() ? QStringLiteral("NULL") : v);
}

QString argument(const ArgumentRow& r)
{
    if (isOut(r))
        return r.name;
    const QString type = r.dataType.toUpper();
    if (type.contains(QLatin1String("CHAR")))
        return quoted(r.value);
    if (r.value.isEmpty())
        return QStringLiteral("NULL");
    if (type == QLatin1String("DATE"))
        return dateLiteral(r.value);
    return r.value;
}

} // namespace

CallTarget callTarget(const QString& nodeText, const QString& packageNodeText)
{
    CallTarget t;
    const bool member = !packageNodeText.isEmpty();
    const QString text = member ? packageNodeText : nodeText;
    const int point = text.indexOf(QLatin1Char('.'));
    if (point < 0)
        return t;
    t.owner = text.left(point).toUpper();
    if (member) {
        t.package = text.mid(point + 1).toUpper();
        t.object = nodeText.toUpper();
    } else {
        t.object = text.mid(point + 1).toUpper();
    }
    t.valid = !t.owner.isEmpty() && !t.object.isEmpty();
    return t;
}

QString callName(const QString& nodeText, const QString& packageNodeText)
{
    return packageNodeText.isEmpty() ? nodeText : packageNodeText + QLatin1Char('.') + nodeText;
}

std::vector<ArgumentRow> listArguments(db::Session& session, const CallTarget& target)
{
    std::vector<ArgumentRow> rows;
    if (!target.valid)
        return rows;
    db::Query q(&session);
    // A standalone subprogram is not mixed with package members of the same name, and only the first overload's
    // parameters are listed, so the block has one consistent parameter list.
    q.setSql(QStringLiteral("select argument_name,data_type,default_value,in_out,overload from all_arguments \n"
                            "where object_name=:objekt and owner=:upor and data_level=0 and \n")
        + (target.package.isEmpty() ? QStringLiteral("   package_name is null\n")
                                    : QStringLiteral("   package_name=:pack\n"))
        + QStringLiteral("order by overload,position"));
    q.setVariable(QStringLiteral("objekt"), target.object);
    q.setVariable(QStringLiteral("upor"), target.owner);
    if (!target.package.isEmpty())
        q.setVariable(QStringLiteral("pack"), target.package);
    q.execute();
    bool first = true;
    QString overload;
    for (; !q.eof(); q.next()) {
        const QString thisOverload = q.fieldIsNull(4) ? QString() : q.field(4).toString();
        if (first) {
            overload = thisOverload;
            first = false;
        } else if (thisOverload != overload) {
            break;
        }
        ArgumentRow r;
        r.name = q.fieldIsNull(0) ? QString() : q.field(0).toString();
        r.inOut = q.fieldIsNull(3) ? QString() : q.field(3).toString();
        if (r.name.isEmpty() && r.inOut.toUpper() == QLatin1String("IN"))
            continue;
        r.dataType = q.fieldIsNull(1) ? QString() : q.field(1).toString().toLower();
        rows.push_back(r);
    }
    return rows;
}

CallableObjects listCallables(db::Session& session, const QString& ownerFilter, const QString& nameFilter)
{
    CallableObjects out;
    const QString upor = ownerFilter.toUpper() + QLatin1Char('%');
    const QString objekt = nameFilter.toUpper() + QLatin1Char('%');

    auto open = [&](db::Query& q, const QString& sql) {
        q.setSql(sql);
        q.setVariable(QStringLiteral("upor"), upor);
        q.setVariable(QStringLiteral("objekt"), objekt);
        q.execute();
    };
    db::Query quObjekti(&session);
    open(quObjekti,
        QStringLiteral("select owner,object_type,object_name,timestamp from all_objects\n"
                       "where owner like :upor  and object_name like :objekt and \n"
                       " object_type in ('PROCEDURE','FUNCTION')\n"
                       "order by object_type,object_name"));
    for (; !quObjekti.eof(); quObjekti.next()) {
        const QString node = quObjekti.field(0).toString().toLower() + QLatin1Char('.') + quObjekti.field(2).toString();
        if (quObjekti.field(1).toString() == QLatin1String("FUNCTION"))
            out.functions << node;
        else
            out.procedures << node;
    }

    db::Query quPackages(&session);
    open(quPackages,
        QStringLiteral("select owner,package_name,object_name from all_arguments\n"
                       "where package_name is not null and\n"
                       "          owner like :upor  and object_name like :objekt \n"
                       "group by owner,package_name,object_name\n"
                       "order by owner,package_name,object_name"));
    for (; !quPackages.eof(); quPackages.next()) {
        const QString node
            = quPackages.field(0).toString().toLower() + QLatin1Char('.') + quPackages.field(1).toString().toUpper();
        if (out.packages.empty() || out.packages.back().text != node)
            out.packages.push_back({ node, {} });
        out.packages.back().members << quPackages.field(2).toString();
    }
    return out;
}

QString buildCallBlock(const QString& name, const std::vector<ArgumentRow>& rows, bool gridShown, const QString& nl)
{
    const ArgumentRow* result = nullptr;
    std::vector<const ArgumentRow*> named;
    for (const ArgumentRow& r : rows) {
        if (r.name.isEmpty()) {
            if (!result)
                result = &r;
        } else {
            named.push_back(&r);
        }
    }
    const QString resultType = result ? result->dataType.toUpper() : QString();
    const bool booleanResult = result && isBoolean(resultType);

    QString declarations;
    auto declare = [&](const QString& line) {
        if (declarations.isEmpty())
            declarations = QStringLiteral("DECLARE ") + nl;
        declarations += QStringLiteral("  ") + line + QLatin1Char(';') + nl;
    };
    for (const ArgumentRow* r : named) {
        if (isOut(*r))
            declare(r->name + QLatin1Char(' ') + declaration(*r));
    }
    // A BOOLEAN result has no text form: it is kept in a variable and printed as TRUE or FALSE.
    const QString resultVariable = QStringLiteral("l_rezultat");
    if (booleanResult)
        declare(resultVariable + QStringLiteral(" BOOLEAN"));

    QString list;
    if (gridShown) {
        for (size_t i = 0; i < named.size(); ++i)
            list += (i == 0 ? QString() : QStringLiteral(",")) + nl + kIndent + named[i]->name + QStringLiteral("=> ")
                + argument(*named[i]);
    }

    QString call;
    if (booleanResult) {
        call = resultVariable + QStringLiteral(" := ") + name + QLatin1Char('(') + list + QStringLiteral("  )") + ';'
            + nl + QStringLiteral("  dbms_output.put_line(case when ") + resultVariable
            + QStringLiteral(" then 'TRUE' when not ") + resultVariable + QStringLiteral(" then 'FALSE' end)");
    } else if (result) {
        const bool text = resultType.contains(QLatin1String("CHAR"));
        call = QStringLiteral("dbms_output.put_line( ") + (text ? QString() : QStringLiteral("to_char(")) + name
            + QLatin1Char('(') + list + QStringLiteral("  )") + QLatin1Char(')')
            + (text ? QString() : QStringLiteral(")"));
    } else {
        call = name + (gridShown ? QLatin1Char('(') + list + QLatin1Char(')') : QStringLiteral("()"));
    }
    return QStringLiteral("-- ") + name + nl + declarations + QStringLiteral("begin ") + nl + QStringLiteral("  ")
        + call + QLatin1Char(';') + nl + QStringLiteral("end;");
}

} // namespace develop
