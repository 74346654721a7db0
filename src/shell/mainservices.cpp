#include "shell/mainservices.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "shell/macrofile.h"
#include "shell/programdate.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QWidget>

namespace shell {

namespace {

bool isBlankOrBreak(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t');
}

// Characters of an unquoted Oracle identifier after its first letter.
bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#');
}

// keyword (upper case) stands as a whole word at position i of the upper-cased text.
bool keywordAt(const QString& up, qsizetype i, QLatin1StringView keyword)
{
    if (i < 0 || i + keyword.size() > up.size())
        return false;
    if (QStringView(up).mid(i, keyword.size()) != keyword)
        return false;
    if (i > 0 && isIdentChar(up.at(i - 1)))
        return false;
    const qsizetype after = i + keyword.size();
    return after >= up.size() || !isIdentChar(up.at(after));
}

// The first position at or after from where keyword stands as a word outside quotes, comments and
// parentheses; -1 when there is none.
qsizetype findTopLevelKeyword(const QString& up, QLatin1StringView keyword, qsizetype from)
{
    int depth = 0;
    for (qsizetype i = from; i < up.size(); ++i) {
        const QChar c = up.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype close = up.indexOf(c, i + 1);
            if (close < 0)
                return -1;
            i = close;
        } else if (c == QLatin1Char('-') && i + 1 < up.size() && up.at(i + 1) == QLatin1Char('-')) {
            const qsizetype eol = up.indexOf(QLatin1Char('\n'), i);
            if (eol < 0)
                return -1;
            i = eol;
        } else if (c == QLatin1Char('/') && i + 1 < up.size() && up.at(i + 1) == QLatin1Char('*')) {
            const qsizetype close = up.indexOf(QLatin1String("*/"), i + 2);
            if (close < 0)
                return -1;
            i = close + 1;
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            if (depth > 0)
                --depth;
        } else if (depth == 0 && keywordAt(up, i, keyword)) {
            return i;
        }
    }
    return -1;
}

qsizetype skipBlanks(const QString& text, qsizetype i)
{
    while (i < text.size() && isBlankOrBreak(text.at(i)))
        ++i;
    return i;
}

// The characters before a schema name that make it a name of its own.
bool isNameSeparator(QChar c)
{
    static const QString separators = QStringLiteral("\n\r\t+*. (=,<>/'");
    return separators.contains(c);
}

} // namespace

QString pretvoriDescriptor(const QString& currDescriptor)
{
    if (currDescriptor.isEmpty() || currDescriptor.at(0) != QLatin1Char('#'))
        return currDescriptor;
    const QString digits = currDescriptor.mid(1, 10);
    bool ok = false;
    const uint code = digits.toUInt(&ok, 10);
    if (!ok || code > 0x10FFFF || QChar::isSurrogate(code))
        throw std::invalid_argument(
            QStringLiteral("'%1' is not a valid character code for the column separator").arg(digits).toStdString());
    const char32_t ucs4 = code;
    return QString::fromUcs4(&ucs4, 1);
}

FileDirNameResult FileDirName(const QString& path)
{
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    if (slash < 0)
        return { path, QString() };
    return { path.mid(slash + 1), path.left(slash + 1) };
}

QString zamenjaj(const QString& text, const QString& oldName, const QString& newName)
{
    if (oldName.isEmpty())
        return text;
    // A name searched with its final blank also stands at the end of a line, where the blank is missing.
    const bool blankEnded = oldName.size() > 1 && oldName.endsWith(QLatin1Char(' '));
    const QString searched = blankEnded ? oldName.chopped(1) : oldName;
    const bool wordEnded = isIdentChar(oldName.back());

    QString result;
    qsizetype copied = 0;
    qsizetype from = 0;
    while (true) {
        const qsizetype pos = text.indexOf(searched, from, Qt::CaseInsensitive);
        if (pos < 0)
            break;
        qsizetype end = pos + searched.size();
        bool atLineEnd = false;
        if (blankEnded) {
            if (end < text.size() && text.at(end) == QLatin1Char(' ')) {
                ++end;
            } else if (end == text.size() || text.at(end) == QLatin1Char('\r') || text.at(end) == QLatin1Char('\n')) {
                atLineEnd = true;
            } else {
                from = pos + 1; // not an occurrence of the name with its blank
                continue;
            }
        }
        const bool leftBounded = pos > 0 && isNameSeparator(text.at(pos - 1));
        const bool rightBounded = !wordEnded || end >= text.size() || !isIdentChar(text.at(end));
        if (leftBounded && rightBounded) {
            result += QStringView(text).mid(copied, pos - copied);
            result += atLineEnd && newName.endsWith(QLatin1Char(' ')) ? newName.chopped(1) : newName;
            copied = end;
        }
        from = end;
    }
    result += QStringView(text).mid(copied);
    return result;
}

QString zamenjave(
    const QString& text, const QString& mode, const QString& currUserAsVoxa, const QString& currUserAsBildor)
{
    QString t = text;
    // Without an installation user there is nothing to put in; removing the schema name would break the text.
    const bool voxa = !currUserAsVoxa.isEmpty();
    const bool bildor = !currUserAsBildor.isEmpty();
    if (mode == QLatin1String("SKRIPTA")) {
        if (voxa) {
            t = zamenjaj(t, QStringLiteral("VOXA."), currUserAsVoxa + QLatin1Char('.'));
            t = zamenjaj(t, QStringLiteral("'VOXA'"), QLatin1Char('\'') + currUserAsVoxa + QLatin1Char('\''));
        }
        if (bildor) {
            t = zamenjaj(t, QStringLiteral("BILDOR."), currUserAsBildor + QLatin1Char('.'));
            t = zamenjaj(t, QStringLiteral("'BILDOR'"), QLatin1Char('\'') + currUserAsBildor + QLatin1Char('\''));
        }
        if (voxa)
            t = zamenjaj(t, QStringLiteral("TO ZDR"), QStringLiteral("TO G") + currUserAsVoxa.mid(1));
    } else {
        if (voxa)
            t = zamenjaj(t, QStringLiteral("VOXA "), currUserAsVoxa + QLatin1Char(' '));
        if (bildor)
            t = zamenjaj(t, QStringLiteral("BILDOR "), currUserAsBildor + QLatin1Char(' '));
    }
    return t;
}

namespace {

const QString liveAlias = QStringLiteral("xxx");

bool isClauseKeyword(const QString& upperWord)
{
    static const QStringList words = { QStringLiteral("WHERE"), QStringLiteral("ORDER"), QStringLiteral("GROUP"),
        QStringLiteral("FOR"), QStringLiteral("CONNECT"), QStringLiteral("START"), QStringLiteral("HAVING"),
        QStringLiteral("UNION"), QStringLiteral("MINUS"), QStringLiteral("INTERSECT") };
    return words.contains(upperWord);
}

// Words that stand in a select list without being columns of the table.
bool isNonColumnWord(const QString& upperWord)
{
    static const QStringList words
        = { QStringLiteral("NULL"), QStringLiteral("SYSDATE"), QStringLiteral("SYSTIMESTAMP"), QStringLiteral("USER"),
              QStringLiteral("UID"), QStringLiteral("ROWNUM"), QStringLiteral("LEVEL"), QStringLiteral("CASE"),
              QStringLiteral("CURRENT_DATE"), QStringLiteral("CURRENT_TIMESTAMP"), QStringLiteral("PRIOR") };
    return words.contains(upperWord);
}

// Splits the select list [from, to) at its top-level commas; returns the start of each item.
QList<qsizetype> selectItemStarts(const QString& text, qsizetype from, qsizetype to)
{
    QList<qsizetype> starts { from };
    int depth = 0;
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(c, i + 1);
            i = close < 0 ? to : close;
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            depth = std::max(0, depth - 1);
        } else if (c == QLatin1Char(',') && depth == 0) {
            starts.append(i + 1);
        }
    }
    return starts;
}

// Qualifies the leading column of every select item with the alias. Items that begin with an expression
// (a function call, a literal, a pseudo-column) are left as written: with one table they need no alias.
// Returns the number of items qualified.
int qualifySelectItems(QString& text, qsizetype listStart, qsizetype listEnd, const QString& table)
{
    const QList<qsizetype> starts = selectItemStarts(text, listStart, listEnd);
    int qualified = 0;
    // From the last item to the first, so earlier positions stay valid.
    for (qsizetype k = starts.size() - 1; k >= 0; --k) {
        const qsizetype i = skipBlanks(text, starts.at(k));
        if (i >= text.size())
            continue;
        if (text.at(i) == QLatin1Char('*')) {
            text.insert(i, liveAlias + QLatin1Char('.'));
            ++qualified;
            continue;
        }
        if (!text.at(i).isLetter())
            continue;
        qsizetype e = i;
        while (e < text.size() && isIdentChar(text.at(e)))
            ++e;
        const QString word = text.mid(i, e - i);
        const qsizetype next = skipBlanks(text, e);
        if (next < text.size() && text.at(next) == QLatin1Char('('))
            continue; // a function
        if (e < text.size() && text.at(e) == QLatin1Char('.')) {
            if (word.compare(table, Qt::CaseInsensitive) == 0) {
                text.replace(i, e - i, liveAlias);
                ++qualified;
            }
            continue; // qualified by something else: left as written
        }
        if (isNonColumnWord(word.toUpper()))
            continue;
        text.insert(i, liveAlias + QLatin1Char('.'));
        ++qualified;
    }
    return qualified;
}

// Whole-word references "table." after position from become "xxx.".
void requalifyReferences(QString& text, qsizetype from, const QString& table)
{
    qsizetype pos = from;
    while ((pos = text.indexOf(table, pos, Qt::CaseInsensitive)) >= 0) {
        const qsizetype end = pos + table.size();
        const bool word
            = (pos == 0 || !isIdentChar(text.at(pos - 1))) && end < text.size() && text.at(end) == QLatin1Char('.');
        if (word) {
            text.replace(pos, table.size(), liveAlias);
            pos += liveAlias.size() + 1;
        } else {
            pos = end;
        }
    }
}

} // namespace

LiveQueryResult postaviLiveQuery(const QString& text)
{
    LiveQueryResult r { text, QString() };
    const QString up = text.toUpper();
    if (!up.startsWith(QLatin1String("SELECT")) || (up.size() > 6 && isIdentChar(up.at(6))))
        return r;
    static const QRegularExpression groupBy(QStringLiteral("\\bGROUP\\s+BY\\b"));
    if (up.contains(groupBy)) {
        r.message = QString::fromLatin1(liveQueryGroupByMessage);
        return r;
    }
    const qsizetype fromPos = findTopLevelKeyword(up, QLatin1StringView("FROM"), 6);
    if (fromPos < 0)
        return r;
    const qsizetype listStart = skipBlanks(text, 6);
    if (keywordAt(up, listStart, QLatin1StringView("DISTINCT"))
        || keywordAt(up, listStart, QLatin1StringView("UNIQUE")))
        return r; // rows of a DISTINCT query have no ROWID

    // The table after FROM, and what follows it.
    qsizetype p = skipBlanks(text, fromPos + 4);
    const qsizetype tableStart = p;
    while (p < text.size() && !isBlankOrBreak(text.at(p)) && text.at(p) != QLatin1Char(',')
        && text.at(p) != QLatin1Char(';') && text.at(p) != QLatin1Char(')'))
        ++p;
    const qsizetype tableEnd = p;
    const QString table = text.mid(tableStart, tableEnd - tableStart);
    if (table.isEmpty() || table.startsWith(QLatin1Char('(')))
        return r;
    p = skipBlanks(text, p);

    const bool hasRowid = up.contains(QLatin1String("ROWID"));
    if (p < text.size() && (text.at(p).isLetter() || text.at(p) == QLatin1Char('"'))) {
        qsizetype e = p;
        while (e < text.size() && !isBlankOrBreak(text.at(e)) && text.at(e) != QLatin1Char(',')
            && text.at(e) != QLatin1Char(';'))
            ++e;
        const QString word = text.mid(p, e - p);
        if (!isClauseKeyword(word.toUpper())) {
            if (hasRowid)
                return r;
            r.text.insert(listStart, word + QLatin1String(".rowid,"));
            return r;
        }
    }
    if (p < text.size() && text.at(p) == QLatin1Char(','))
        return r; // several tables without aliases: no single table to take the ROWID of
    if (hasRowid || text.contains(liveAlias + QLatin1Char('.')))
        return r;

    QString t = text;
    // Alias after the table first, then the select list, so that the positions before stay valid.
    t.insert(tableEnd, QLatin1Char(' ') + liveAlias);
    requalifyReferences(t, tableEnd + 1 + liveAlias.size(), table);
    qsizetype lastItemEnd = fromPos;
    while (
        lastItemEnd > listStart && (isBlankOrBreak(t.at(lastItemEnd - 1)) || t.at(lastItemEnd - 1) == QLatin1Char(',')))
        --lastItemEnd;
    if (lastItemEnd <= listStart)
        return r;
    t.insert(lastItemEnd, QLatin1String(",rowid"));
    if (qualifySelectItems(t, listStart, lastItemEnd, table) == 0)
        return r;
    r.text = t;
    return r;
}

QString prepareInsertTemplate(
    bool newLine, const QString& templ, const QString& clipboardWord, const QString& newLineText)
{
    const QString separator = newLine ? newLineText : QString();
    const QString word = clipboardWord.isEmpty() || clipboardWord.size() > 10 ? QStringLiteral("?") : clipboardWord;
    const QString capitalised = word.left(1).toUpper() + word.mid(1);
    QString out;
    qsizetype from = 0;
    while (true) {
        const qsizetype pos = templ.indexOf(QLatin1String(":?"), from);
        if (pos < 0)
            break;
        out += QStringView(templ).mid(from, pos - from);
        out += pos > 0 && templ.at(pos - 1) == QLatin1Char(' ') ? word : capitalised;
        from = pos + 2;
    }
    out += QStringView(templ).mid(from);
    return separator + out + separator;
}

QString prepareInsertTemplate(bool newLine, const QString& templ)
{
    return prepareInsertTemplate(newLine, templ, getClipboard());
}

QString getClipboard()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return QString();
    const QString text = clipboard->text();
    return text.size() > 10 ? QString() : text;
}

void preberiMacroTipke(MacroTables& tables, const QString& currMacros, QWidget* owner, QMenu* popup,
    const std::function<void(QAction*)>& onClick)
{
    if (tables.isEmpty())
        tables = macroTablesFrom(readMacroText(currMacros));
    if (!popup)
        return;
    for (int k = 1; k <= tables.nrMacros; ++k) {
        QObject* parent = owner ? static_cast<QObject*>(owner) : static_cast<QObject*>(popup);
        auto* item = new QAction(tables.mcMacroHeader.value(k - 1), parent);
        item->setObjectName(QStringLiteral("Macro%1").arg(k));
        if (onClick)
            QObject::connect(item, &QAction::triggered, item, [item, onClick] { onClick(item); });
        popup->addAction(item);
    }
}

QString brezNL(const QString& text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    return out;
}

namespace {

// Skips blanks, line breaks and comments from position i.
qsizetype skipBlanksAndComments(const QString& text, qsizetype i)
{
    while (i < text.size()) {
        if (isBlankOrBreak(text.at(i))) {
            ++i;
        } else if (text.mid(i, 2) == QLatin1String("--")) {
            const qsizetype eol = text.indexOf(QLatin1Char('\n'), i);
            i = eol < 0 ? text.size() : eol + 1;
        } else if (text.mid(i, 2) == QLatin1String("/*")) {
            const qsizetype close = text.indexOf(QLatin1String("*/"), i + 2);
            i = close < 0 ? text.size() : close + 2;
        } else {
            break;
        }
    }
    return i;
}

QString wordAt(const QString& up, qsizetype& i)
{
    i = skipBlanksAndComments(up, i);
    const qsizetype start = i;
    while (i < up.size() && isIdentChar(up.at(i)))
        ++i;
    return up.mid(start, i - start);
}

} // namespace

bool isPlSqlBlock(const QString& text)
{
    const QString up = text.toUpper();
    qsizetype i = 0;
    QString word = wordAt(up, i);
    if (word.isEmpty())
        return up.mid(i, 2) == QLatin1String("<<"); // a labelled block
    if (word == QLatin1String("DECLARE") || word == QLatin1String("BEGIN"))
        return true;
    if (word != QLatin1String("CREATE"))
        return false;
    word = wordAt(up, i);
    if (word == QLatin1String("OR")) {
        if (wordAt(up, i) != QLatin1String("REPLACE"))
            return false;
        word = wordAt(up, i);
    }
    if (word == QLatin1String("EDITIONABLE") || word == QLatin1String("NONEDITIONABLE"))
        word = wordAt(up, i);
    static const QStringList units
        = { QStringLiteral("PROCEDURE"), QStringLiteral("FUNCTION"), QStringLiteral("PACKAGE"),
              QStringLiteral("TRIGGER"), QStringLiteral("TYPE"), QStringLiteral("LIBRARY"), QStringLiteral("JAVA") };
    return units.contains(word);
}

QString f_venPodpicje(const QString& text)
{
    qsizetype i = text.size() - 1;
    while (i >= 0 && isBlankOrBreak(text.at(i)))
        --i;
    if (i < 0 || text.at(i) != QLatin1Char(';'))
        return text;
    if (isPlSqlBlock(text))
        return text;
    // "END;" or "END name;" closes a block when the text holds one; a plain statement can end in a CASE
    // expression's END, so the END alone does not decide.
    static const QRegularExpression endName(
        QStringLiteral("\\bEND(\\s+[A-Za-z][A-Za-z0-9_$#.\"]*)?\\s*$"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression begin(QStringLiteral("\\bBEGIN\\b"), QRegularExpression::CaseInsensitiveOption);
    const QString before = text.left(i);
    if (before.contains(endName) && before.contains(begin))
        return text;
    return before + text.mid(i + 1);
}

QString sqlQuote(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString changeDateFormatStatement(const QString& format)
{
    static const QString prefix = QStringLiteral("alter session set nls_date_format=");
    if (!format.contains(QLatin1Char('"')))
        return prefix + QLatin1Char('"') + format + QLatin1Char('"');
    return prefix + sqlQuote(format);
}

QString GetParam107Query(const QString& name)
{
    return QStringLiteral("select val1_107 value from voxa.pr107par where attr_007=") + sqlQuote(name);
}

QStringList userVhodniParametri(const std::function<QString(const QString&)>& getParam)
{
    const QString stars(48, QLatin1Char('*'));
    return { stars, getParam(QStringLiteral("aiOrganization")).toUpper(),
        getParam(QStringLiteral("aiAddress")) + QLatin1Char(',') + getParam(QStringLiteral("aiCity")),
        getParam(QStringLiteral("aiPhone")), stars, QString(), QString(), QString() };
}

bool SessionInTransaction(
    const QString& database, const std::function<bool(QWidget* workSheet, const QString& database)>& jeVTransakciji)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w->objectName().startsWith(QLatin1String("WorkSheet")) && jeVTransakciji(w, database))
            return true;
    }
    return false;
}

bool sporocilo(const QString& question, QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, QGuiApplication::applicationDisplayName(), question,
        QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("sporocilo"));
    return box.exec() == QMessageBox::Yes;
}

bool changeDateFormat(db::Session& session, db::Session& mainSession, const QString& format, QString* error)
{
    const bool mainWasInTransaction = mainSession.inTransaction();
    bool ok = true;
    try {
        db::Query quDateFormat(&session);
        quDateFormat.setSql(changeDateFormatStatement(format));
        quDateFormat.execute();
        setProgramDateFormat(format);
    } catch (const db::OracleError&) {
        ok = false;
        if (error)
            *error = QString::fromLatin1(wrongDateFormatMessage);
    }
    if (!mainWasInTransaction && mainSession.inTransaction())
        mainSession.rollback();
    return ok;
}

bool execDyn(db::Session& session, const QString& statement, QString* error)
{
    try {
        db::Query quDyn(&session);
        quDyn.setSql(statement);
        quDyn.execute();
        return true;
    } catch (const db::OracleError& e) {
        if (error)
            *error = e.message();
        return false;
    }
}

bool tableExists(db::Session& session, const QString& owner, const QString& tableName)
{
    db::Query quTableExists(&session);
    quTableExists.setSql(QString::fromLatin1(tableExistsQuery));
    quTableExists.declareVariable(QStringLiteral("lastnik"), db::BindType::String);
    quTableExists.declareVariable(QStringLiteral("tabela"), db::BindType::String);
    quTableExists.setVariable(QStringLiteral("lastnik"), owner);
    quTableExists.setVariable(QStringLiteral("tabela"), tableName);
    quTableExists.execute();
    return !quTableExists.eof() && quTableExists.field(QStringLiteral("stevilo")).toLongLong() > 0;
}

SystemParameter BeriParameter(db::Session& session, const QString& name)
{
    SystemParameter result;
    try {
        if (!tableExists(session, QStringLiteral("VEXO_UTIL"), QStringLiteral("QUANDRELSYS")))
            return result;
        db::Query quOracle(&session);
        quOracle.setSql(QString::fromLatin1(beriParameterQuery));
        quOracle.declareVariable(QStringLiteral("sprem"), db::BindType::String);
        quOracle.setVariable(QStringLiteral("sprem"), name);
        quOracle.execute();
        if (!quOracle.eof()) {
            result.value = quOracle.field(QStringLiteral("sysVred")).toString();
            result.description = quOracle.field(QStringLiteral("sysOpis")).toString();
        }
    } catch (const db::OracleError&) {
        // A parameter that cannot be read is an empty one.
    }
    return result;
}

QString GetParam107(db::Session& session, const QString& name)
{
    try {
        db::Query quDynSistem(&session);
        quDynSistem.setSql(GetParam107Query(name));
        quDynSistem.execute();
        if (!quDynSistem.eof())
            return quDynSistem.field(QStringLiteral("value")).toString();
    } catch (const db::OracleError&) {
    }
    return QString();
}

QStringList userVhodniParametri(db::Session& session)
{
    return userVhodniParametri([&session](const QString& name) { return GetParam107(session, name); });
}

} // namespace shell
