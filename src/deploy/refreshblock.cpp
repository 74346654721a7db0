#include "deploy/refreshblock.h"

#include <QRegularExpression>

namespace deploy {

namespace {

const QString crlf = QStringLiteral("\r\n");

bool isAuditColumn(const QString& name)
{
    return name == QLatin1String("DATUMIPL") || name == QLatin1String("USER_IPL");
}

// The text of a PL/SQL expression with "\" and "?" escaped, so the window's reader never takes a "?" of a value for
// the end of an item.
QString escapedForPipe(const QString& expression)
{
    return QStringLiteral("replace(replace(") + expression + QStringLiteral(",'\\','\\\\'),'?','\\q')");
}

// "OWNER.NAME" or "NAME" as quoted identifiers.
QString quoteQualified(const QString& name)
{
    const int dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? quoteName(name) : quoteName(name.left(dot)) + QLatin1Char('.') + quoteName(name.mid(dot + 1));
}

// The texts derived from the key and the column list.
struct Derived {
    QString D, S, P, W, AS, AD, U, I, CMP, DS, DD;
    QString destLabel; // the destination as the summary names it: owner.table, unquoted
    QString sequence; // the owner-qualified, quoted sequence
    bool useSequence = false;
};

Derived derive(const RefreshDefinition& def)
{
    Derived d;
    d.D = quoteName(def.destOwner) + QLatin1Char('.') + quoteName(def.destTable);
    d.S = quoteName(def.sourceOwner) + QLatin1Char('.') + quoteName(def.sourceTable);
    if (!def.dbLink.isEmpty())
        d.S += QLatin1Char('@') + def.dbLink.toUpper();
    d.destLabel = def.destOwner + QLatin1Char('.') + def.destTable;

    QStringList keyNames;
    QStringList p, w, as, ad, ds, dd;
    for (int i = 0; i < def.keyItems.size(); ++i) {
        const RefreshKeyColumn k = splitKeyItem(def.keyItems.at(i));
        keyNames << k.name;
        // Numbered on past the ninth column: a longer key is matched like a shorter one.
        const QString param = QStringLiteral("sUnique") + QString::number(i + 1);
        const QString type = unconstrainedType(k.type);
        const QString col = quoteName(k.name);
        p << param + QLatin1Char(' ') + type;
        w << (i ? QStringLiteral("and ") : QString()) + col + QLatin1Char('=') + param + QLatin1Char(' ');
        as << QStringLiteral("rS.") + col;
        ad << QStringLiteral("rD.") + col;
        const bool text = type == QLatin1String("CHAR") || type == QLatin1String("VARCHAR")
            || type == QLatin1String("VARCHAR2");
        ds << (text ? QStringLiteral("rS.") + col : QStringLiteral("to_char(rS.") + col + QLatin1Char(')'));
        dd << (text ? QStringLiteral("rD.") + col : QStringLiteral("to_char(rD.") + col + QLatin1Char(')'));
    }
    d.P = p.join(QLatin1Char(','));
    d.W = w.join(QString());
    d.AS = as.join(QLatin1Char(','));
    d.AD = ad.join(QLatin1Char(','));
    d.DS = ds.join(QStringLiteral("||'  '||"));
    d.DD = dd.join(QStringLiteral("||'  '||"));

    // A key column never takes a sequence value: the next refresh would not find the row by its key and would
    // insert it again under yet another number.
    d.useSequence = def.sequence && !keyNames.contains(def.seqField);
    if (d.useSequence) {
        const int dot = def.seqName.indexOf(QLatin1Char('.'));
        d.sequence = dot < 0 ? quoteName(def.destOwner) + QLatin1Char('.') + quoteName(def.seqName)
                             : quoteQualified(def.seqName);
    }
    auto isSequenceColumn = [&](const QString& c) { return d.useSequence && c == def.seqField; };

    bool anyMarked = false;
    for (const RefreshColumn& c : def.columns)
        anyMarked = anyMarked || c.marked;

    QStringList terms;
    QStringList updates;
    for (const RefreshColumn& c : def.columns) {
        const QString q = quoteName(c.name);
        if (c.marked && !isAuditColumn(c.name)) {
            terms << QStringLiteral("((rS.") + q + QStringLiteral("<> rD.") + q + QStringLiteral(") or ( ( rS.") + q
                    + QStringLiteral(" is null or rD.") + q + QStringLiteral(" is null) and not (rS.") + q
                    + QStringLiteral(" is null and rD.") + q + QStringLiteral(" is null)) )");
        }
        if (!isAuditColumn(c.name) && !isSequenceColumn(c.name) && (c.marked || !anyMarked))
            updates << q + QStringLiteral("=rS.") + q;
    }
    if (!terms.isEmpty()) {
        QString cmp;
        for (int i = 0; i < terms.size(); ++i)
            cmp += (i ? QStringLiteral(" or ") : QStringLiteral("IF ")) + terms.at(i) + crlf + QStringLiteral("     ");
        d.CMP = cmp + QStringLiteral("        THEN");
    }
    for (int i = 0; i < updates.size(); ++i) {
        if (i)
            d.U += QLatin1Char(',');
        d.U += updates.at(i);
        if ((i + 1) % 3 == 0 && i + 1 < updates.size())
            d.U += crlf + QStringLiteral("       ");
    }

    QString ic, iv;
    for (int i = 0; i < def.columns.size(); ++i) {
        const QString& name = def.columns.at(i).name;
        if (i) {
            if ((i + 1) % 7 == 0) {
                ic += crlf + QStringLiteral("       ");
                iv += crlf + QStringLiteral("       ");
            }
            ic += QLatin1Char(',');
            iv += QLatin1Char(',');
        }
        ic += quoteName(name);
        iv += isSequenceColumn(name) ? QStringLiteral("iSeq") : QStringLiteral("rS.") + quoteName(name);
    }
    d.I = QStringLiteral("     (") + ic + QStringLiteral(")") + crlf + QStringLiteral("    values ") + crlf
        + QStringLiteral("     (") + iv + QStringLiteral(");");
    return d;
}

// Adds a fragment that may hold line breaks as one line per part.
void addLines(QStringList& lines, const QString& fragment)
{
    lines << fragment.split(crlf);
}

} // namespace

bool isPlainLinkName(const QString& link)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z][A-Za-z0-9_$#]*(\\.[A-Za-z][A-Za-z0-9_$#]*)*$"));
    return plain.match(link).hasMatch();
}

QString quoteName(const QString& name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

QString sqlLiteral(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

RefreshKeyColumn splitKeyItem(const QString& item)
{
    const int blank = item.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return { item, QString() };
    return { item.left(blank), item.mid(blank + 1, 30) };
}

QString unconstrainedType(const QString& type)
{
    static const QRegularExpression brackets(QStringLiteral("\\s*\\([^)]*\\)"));
    return QString(type).remove(brackets).trimmed();
}

QStringList refreshInputProblems(const RefreshDefinition& def, bool sameTable)
{
    QStringList problems;
    if (def.keyItems.isEmpty())
        problems << QStringLiteral("Primary key on destination table is missing");
    const bool named = !def.destOwner.isEmpty() && !def.sourceOwner.isEmpty() && !def.destTable.isEmpty()
        && !def.sourceTable.isEmpty();
    if (!def.keyItems.isEmpty() && named && !sameTable) {
        // The names go into the block in double quotes and the link as it stands: neither may end them early.
        const QStringList names = { def.sourceOwner, def.sourceTable, def.destOwner, def.destTable };
        for (const QString& n : names) {
            if (n.contains(QLatin1Char('"')))
                return { QStringLiteral("Name is not valid: ") + n };
        }
        if (!def.dbLink.isEmpty() && !isPlainLinkName(def.dbLink))
            return { QStringLiteral("Database link name is not valid: ") + def.dbLink };
        return {};
    }
    problems << (named && sameTable ? QStringLiteral("Same tables!") : QStringLiteral("Data is Missing !"));
    return problems;
}

QStringList buildRefreshBlock(const RefreshDefinition& def, const RefreshBlockOptions& options)
{
    const Derived d = derive(def);
    const bool pipe = options.usePipe;
    const QString pipeName = sqlLiteral(options.pipeName);
    const QString send = QStringLiteral("sendtoPipe(") + pipeName + QLatin1Char(',');
    QStringList l;

    if (def.procedure && !def.procName.isEmpty())
        l << QStringLiteral("CREATE OR REPLACE PROCEDURE ") + quoteQualified(def.procName) + QStringLiteral(" IS");
    else
        l << QStringLiteral("DECLARE");
    l << QStringLiteral("  CURSOR cPrava is select * from ") + d.S + QLatin1Char(';');
    l << QStringLiteral("  rS ") + d.S + QStringLiteral("%ROWTYPE;");
    l << QStringLiteral(" CURSOR cOrig(") + d.P + QStringLiteral(") is select * from ") + d.D;
    l << QStringLiteral("    where ") + d.W + QStringLiteral("for update;");
    l << QStringLiteral("  rD ") + d.D + QStringLiteral("%ROWTYPE;");
    if (def.del) {
        l << QStringLiteral(" CURSOR cOrigDelete is select * from ") + d.D + QStringLiteral(" for update;");
        l << QStringLiteral(" CURSOR cPravaDelete(") + d.P + QStringLiteral(") is select * from ") + d.S;
        l << QStringLiteral("    where ") + d.W + QStringLiteral("for update;");
    }
    l << QStringLiteral("  popr INTEGER:=0;") << QStringLiteral("  ni INTEGER:=0;") << QStringLiteral("  st INTEGER:=0;")
      << QStringLiteral("  pipe INTEGER;") << QStringLiteral("  stDel INTEGER:=0;")
      << QStringLiteral("  stDelNe INTEGER:=0;") << QStringLiteral("  intSt INTEGER:=0;")
      << QStringLiteral("  rt INTEGER;") << QStringLiteral("  iError INTEGER:=0;");
    if (!def.update)
        l << QStringLiteral("  dovoliUpdate BOOLEAN:=false;");
    if (d.useSequence) {
        l << QStringLiteral("  iSeq INTEGER;") << QStringLiteral("  FUNCTION f_getSequence RETURN INTEGER IS")
          << QStringLiteral("    cursor cSeq is select ") + d.sequence + QStringLiteral(".nextval from dual;")
          << QStringLiteral("    seq INTEGER;") << QStringLiteral("  BEGIN") << QStringLiteral("    OPEN cSeq;")
          << QStringLiteral("    FETCH cSeq INTO seq;") << QStringLiteral("    CLOSE cSeq;")
          << QStringLiteral("    RETURN seq;") << QStringLiteral("  END;") << QString();
    }
    if (!pipe) {
        l << QString() << QStringLiteral("  PROCEDURE f_error(type CHAR,cont CHAR) IS") << QStringLiteral("  BEGIN");
        l << (def.saveErrors
                ? QStringLiteral("    insert into vexo_util.vexo_err (error_type,error_cont) values (type,cont);")
                : QStringLiteral("    dbms_output.put_line(type||'  '||cont);"));
        l << QStringLiteral("  END;") << QString();
    }
    l << QStringLiteral("BEGIN");
    if (pipe) {
        // A public pipe: sendtoPipe and readPipe run with their owner's rights, and a private pipe serves only the
        // user who made it.
        l << QStringLiteral("  Pipe:=dbms_pipe.create_pipe(") + pipeName + QStringLiteral(",20000,false);")
          << QStringLiteral("  dbms_pipe.purge(") + pipeName + QStringLiteral(");")
          << QStringLiteral("  dbms_pipe.reset_buffer;")
          << QStringLiteral("  rt:=dbms_pipe.send_message(") + pipeName + QStringLiteral(");");
    }
    l << QStringLiteral("  LOCK TABLE ") + d.D + QStringLiteral(" IN EXCLUSIVE MODE NOWAIT;");
    l << QStringLiteral("  open cPrava;") << QStringLiteral("  LOOP") << QStringLiteral("    FETCH cPrava into rS;")
      << QStringLiteral("    EXIT when cPrava%NOTFOUND;") << QStringLiteral("    st:=st+1;")
      << QStringLiteral("    open cOrig(") + d.AS + QStringLiteral(");") << QStringLiteral("    FETCH cOrig INTO rD;")
      << QStringLiteral("    IF cOrig%FOUND THEN");
    if (def.update && !d.U.isEmpty()) {
        if (!d.CMP.isEmpty())
            addLines(l, QStringLiteral("      ") + d.CMP);
        l << QStringLiteral("         popr:=popr+1;");
        l << QStringLiteral("         update ") + d.D + QStringLiteral(" set ");
        addLines(l, QStringLiteral("         ") + d.U);
        l << QStringLiteral("         where current of cOrig;");
        if (!d.CMP.isEmpty())
            l << QStringLiteral("      END if;  ");
    } else {
        // Nothing to set (updates off, or only audit and sequence columns marked): the row is left as it is.
        l << QStringLiteral("      null;");
    }
    l << QStringLiteral("    ELSE ") << QStringLiteral("      BEGIN");
    if (d.useSequence)
        l << QStringLiteral("       iSeq:=f_getSequence;");
    l << QStringLiteral("       INSERT INTO ") + d.D;
    addLines(l, QStringLiteral("         ") + d.I);
    l << QStringLiteral("        ni:=ni+1;") << QStringLiteral("      EXCEPTION") << QStringLiteral("        WHEN OTHERS THEN")
      << QStringLiteral("            iError:=iError+1;");
    if (pipe) {
        l << QStringLiteral("            ") + send + QStringLiteral("'# ?+'||")
                + escapedForPipe(QStringLiteral("substr(") + d.DS + QStringLiteral("||chr(13)||chr(10)||'    '||SQLERRM,1,95)"))
                + QStringLiteral("||'?');");
    } else {
        l << QStringLiteral("            f_error('UNIQUE+',substr(") + d.DS + QStringLiteral("||'    '||SQLERRM,1,95));");
    }
    l << QStringLiteral("      END;") << QStringLiteral("    END if;") << QStringLiteral("    close cOrig;")
      << QStringLiteral("    IF intST=100 THEN ") << QStringLiteral("       intST:=1;");
    if (pipe) {
        l << QStringLiteral("       ") + send
                + QStringLiteral("' ?S'||to_char(st)||'?U'||to_char(popr)||'?I'||to_char(ni)||'?');");
    }
    l << QStringLiteral("    ELSE ") << QStringLiteral("       intST:=intst+1; ") << QStringLiteral("    END if; ")
      << QStringLiteral("  END LOOP;") << QStringLiteral("  close cPrava;");
    if (def.del) {
        l << QString() << QStringLiteral("  -- DELETE") << QStringLiteral("  open cOrigDelete;")
          << QStringLiteral("  intST:=1;") << QStringLiteral("  LOOP") << QStringLiteral("    FETCH cOrigDelete INTO rD;")
          << QStringLiteral("    EXIT WHEN cOrigDelete%NOTFOUND;") << QStringLiteral("    st:=st+1;")
          << QStringLiteral("    IF intST=100 THEN ") << QStringLiteral("       intST:=1;");
        if (pipe)
            l << QStringLiteral("       ") + send + QStringLiteral("' ?S'||to_char(st)||'?D'||to_char(stDel)||'?');");
        l << QStringLiteral("    ELSE ") << QStringLiteral("       intST:=intst+1; ") << QStringLiteral("    END if; ")
          << QStringLiteral("    open cPravaDelete(") + d.AD + QStringLiteral(");")
          << QStringLiteral("    FETCH cPravaDelete INTO rS;") << QStringLiteral("    IF cPravaDelete%NOTFOUND THEN")
          << QStringLiteral("      BEGIN") << QStringLiteral("        DELETE ") + d.D + QStringLiteral(" where current of cOrigDelete;")
          << QStringLiteral("        stDel:=stDel+1;") << QStringLiteral("      EXCEPTION")
          << QStringLiteral("        WHEN OTHERS THEN") << QStringLiteral("            iError:=iError+1;");
        if (pipe) {
            l << QStringLiteral("            ") + send + QStringLiteral("'# ?-'||")
                    + escapedForPipe(
                        QStringLiteral("substr(") + d.DD + QStringLiteral("||chr(13)||chr(10)||'    '||SQLERRM,1,95)"))
                    + QStringLiteral("||'?');");
        } else {
            l << QStringLiteral("         f_error('DELETE',substr(") + d.DD + QStringLiteral("||'    '||SQLERRM,1,95));");
        }
        l << QStringLiteral("      END;") << QStringLiteral("    END if;") << QStringLiteral("    close cPravaDelete;")
          << QStringLiteral("  END loop;") << QStringLiteral("  close cOrigDelete;");
    }
    if (pipe) {
        l << QStringLiteral("  ") + send
                + QStringLiteral("'#/?S'||to_char(st)||'?U'||to_char(popr)||'?I'||to_char(ni)||'?D'||to_char(stDel)||'?');");
    } else {
        const QString r = QStringLiteral("'ALL:'|| to_char(st)||'  UPDATED:'||to_char(popr)||'  INSERTED:'||to_char(ni)||'  "
                                         "DELETED:'||to_char(stDel)||'  ERRORS:'||to_char(iError));");
        const QString label = sqlLiteral(d.destLabel);
        l << QStringLiteral("  dbms_output.put_line(") + label + QStringLiteral("||'  '||") + r;
        l << QStringLiteral("  f_error(") + label + QLatin1Char(',') + r;
    }
    l << QStringLiteral("  END;");
    return l;
}

QString refreshBlockText(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + crlf;
    return text;
}

} // namespace deploy
