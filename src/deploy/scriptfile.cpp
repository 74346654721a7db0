#include "deploy/scriptfile.h"

#include "deploy/scripttext.h"

namespace deploy {

namespace {

const QString crlf = QStringLiteral("\r\n");

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// Whether a block comment is still open at the end of the line, given whether one was open at its start.
bool commentOpenAfter(const QString& line, bool openAtStart)
{
    bool open = openAtStart;
    for (qsizetype i = 0; i + 1 < line.size(); ++i) {
        if (!open && line.at(i) == QLatin1Char('/') && line.at(i + 1) == QLatin1Char('*')) {
            open = true;
            ++i;
        } else if (open && line.at(i) == QLatin1Char('*') && line.at(i + 1) == QLatin1Char('/')) {
            open = false;
            ++i;
        }
    }
    return open;
}

bool opensBlockComment(const QString& line)
{
    return trimLeftControl(line).startsWith(QLatin1String("/*"));
}

bool hasContent(const QStringList& lines)
{
    for (const QString& line : lines)
        if (!trimControl(line).isEmpty())
            return true;
    return false;
}

} // namespace

bool isTerminatorLine(const QString& line)
{
    return trimLeftControl(line).startsWith(QLatin1Char('/'));
}

bool isDroppedCommentLine(const QString& line)
{
    return line.startsWith(QLatin1String("--"));
}

QString CollectedStatement::text() const
{
    QString out;
    for (const QString& line : lines)
        out += line + crlf;
    return out;
}

int CollectedStatement::contentLine() const
{
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (!trimControl(lines.at(i)).isEmpty())
            return firstLine + int(i);
    return firstLine;
}

SplitResult splitScript(const QStringList& lines)
{
    SplitResult result;
    CollectedStatement current;
    bool commentInStatement = false; // a block comment opened inside the statement is still open
    bool commentBetween = false; // a block comment opened between statements is still open
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const int number = int(i) + 1;
        if (commentInStatement) {
            current.lines.append(line);
            commentInStatement = commentOpenAfter(line, true);
            continue;
        }
        if (commentBetween) {
            commentBetween = commentOpenAfter(line, true);
            continue;
        }
        if (isTerminatorLine(line)) {
            if (opensBlockComment(line) && hasContent(current.lines)) {
                current.lines.append(line);
                commentInStatement = commentOpenAfter(line, false);
                continue;
            }
            current.endLine = number;
            result.statements.push_back(std::move(current));
            current = CollectedStatement();
            commentBetween = opensBlockComment(line) && commentOpenAfter(line, false);
            continue;
        }
        if (isDroppedCommentLine(line))
            continue;
        if (current.lines.isEmpty())
            current.firstLine = number;
        current.lines.append(line);
    }
    result.tail = std::move(current);
    return result;
}

bool conditionHolds(const QString& query, const ConditionOutcome& outcome)
{
    if (outcome.failed)
        return false;
    if (!query.contains(QLatin1String("REZULTAT"), Qt::CaseInsensitive))
        return true;
    if (!outcome.hasRow)
        return false;
    const QVariant& v = outcome.firstValue;
    if (v.isNull() || !v.isValid())
        return false; // read as an integer, null is 0
    if (v.typeId() == QMetaType::Double)
        return qint64(v.toDouble()) != 0;
    bool ok = false;
    const qint64 n = v.toString().trimmed().toLongLong(&ok);
    return ok && n != 0;
}

ConditionCount takeConditionCount(const QString& afterDirective)
{
    ConditionCount out;
    const QString& s = afterDirective;
    auto tokenEnd = [&s](qsizetype from) {
        qsizetype end = from;
        while (end < s.size() && !isBlank(s.at(end)) && s.at(end) != QLatin1Char('\r') && s.at(end) != QLatin1Char('\n'))
            ++end;
        return end;
    };
    if (s.isEmpty() || s.at(0) == QLatin1Char('\r') || s.at(0) == QLatin1Char('\n')) {
        out.rest = s;
        return out;
    }
    if (isBlank(s.at(0))) {
        qsizetype start = 0;
        while (start < s.size() && isBlank(s.at(start)))
            ++start;
        const qsizetype end = tokenEnd(start);
        bool ok = false;
        const int n = s.mid(start, end - start).toInt(&ok);
        if (ok && end > start) {
            out.count = n;
            out.rest = s.mid(end);
        } else {
            out.rest = s.mid(start);
        }
        return out;
    }
    // Attached to the directive word: taken off whatever it is.
    const qsizetype end = tokenEnd(0);
    bool ok = false;
    const int n = s.left(end).toInt(&ok);
    out.count = ok ? n : 1;
    out.rest = s.mid(end);
    return out;
}

ScriptVariable parseDeclaration(const QString& statement)
{
    // The name starts after "#DECLARE" and the one character that separates it.
    QString rest = statement.mid(9);
    qsizetype i = 0;
    while (i < rest.size() && rest.at(i).isSpace())
        ++i;
    rest = rest.mid(i);
    qsizetype nameEnd = 0;
    while (nameEnd < rest.size() && !rest.at(nameEnd).isSpace())
        ++nameEnd;
    ScriptVariable v;
    v.name = rest.left(nameEnd).toUpper();
    const QString after = nameEnd < rest.size() ? rest.mid(nameEnd + 1) : QString();
    const qsizetype quote = after.indexOf(QLatin1Char('"'));
    if (quote >= 0) {
        const qsizetype close = after.indexOf(QLatin1Char('"'), quote + 1);
        v.value = close >= 0 ? after.mid(quote + 1, close - quote - 1) : after.mid(quote + 1);
    } else {
        v.value = after;
    }
    return v;
}

QString substituteVariables(const QString& text, const std::vector<ScriptVariable>& variables)
{
    if (!text.contains(QLatin1String(":VAR_")))
        return text;
    QString out = text;
    for (const ScriptVariable& v : variables) {
        if (v.name.isEmpty())
            continue;
        const QString marker = QLatin1Char(':') + v.name + QLatin1Char(':');
        qsizetype from = 0;
        for (;;) {
            const qsizetype at = out.indexOf(marker, from, Qt::CaseInsensitive);
            if (at < 0)
                break;
            out.replace(at, marker.size(), v.value);
            from = at + v.value.size();
        }
    }
    return out;
}

namespace {

// The resolver's state over one script: declarations and the condition that governs the next statements.
class Resolver {
public:
    Resolver(const ResolveOptions& options, ResolveResult& result)
        : options(options)
        , result(result)
    {
    }

    // Steps of one terminated statement; `store` false only asks whether it would be stored. False when the
    // script may not be stored at all.
    bool process(const CollectedStatement& collected, bool store, bool* wouldStore = nullptr)
    {
        QString text = collected.text();
        if (options.substitute)
            text = options.substitute(text);
        text = trimControl(text);
        bool declaration = false;
        if (text.left(8).compare(QLatin1String("#DECLARE"), Qt::CaseInsensitive) == 0) {
            declare(parseDeclaration(text));
            declaration = true;
        }
        text = substituteVariables(text, result.variables);
        if (text.left(3).compare(QLatin1String("#IF"), Qt::CaseInsensitive) == 0) {
            const bool negate = text.left(6).compare(QLatin1String("#IFNOT"), Qt::CaseInsensitive) == 0;
            const ConditionCount cc = takeConditionCount(text.mid(negate ? 6 : 3));
            const qsizetype endif = cc.rest.indexOf(QLatin1String("#ENDIF"), 0, Qt::CaseInsensitive);
            if (endif < 0) {
                result.error = ResolveError::ConditionWithoutEndif;
                result.errorLine = collected.contentLine();
                return false;
            }
            const QString query = cc.rest.left(endif);
            QString after = cc.rest.mid(endif + 6);
            // The line break that ends the directive's line; a statement on the same line is kept whole.
            if (after.startsWith(crlf))
                after = after.mid(2);
            else if (after.startsWith(QLatin1Char('\n')) || after.startsWith(QLatin1Char('\r')))
                after = after.mid(1);
            text = trimControl(after);
            ConditionOutcome outcome;
            if (options.runCondition)
                outcome = options.runCondition(query);
            else
                outcome.failed = true;
            if (outcome.failed)
                result.notes.push_back({ collected.contentLine(), outcome.error });
            const bool holds = conditionHolds(query, outcome);
            conditionValue = negate ? !holds : holds;
            governed = cc.count;
        }
        const bool toStore = !declaration && (governed <= 0 || conditionValue) && text.size() > 5;
        if (wouldStore)
            *wouldStore = toStore;
        if (toStore && store) {
            StoredStatement row;
            row.counter = int(result.rows.size()) + 1;
            row.text = text;
            row.lines = collected.lines;
            row.firstLine = collected.firstLine;
            result.rows.push_back(std::move(row));
        }
        if (governed > 0)
            --governed;
        return true;
    }

private:
    void declare(ScriptVariable v)
    {
        // A later declaration of the same name gives the statements after it the new value.
        for (ScriptVariable& known : result.variables) {
            if (known.name == v.name) {
                known.value = v.value;
                return;
            }
        }
        result.variables.push_back(std::move(v));
    }

    const ResolveOptions& options;
    ResolveResult& result;
    bool conditionValue = false;
    int governed = 0;
};

} // namespace

ResolveResult resolveScript(const QStringList& lines, const ResolveOptions& options)
{
    ResolveResult result;
    const SplitResult split = splitScript(lines);
    Resolver resolver(options, result);
    for (const CollectedStatement& s : split.statements)
        if (!resolver.process(s, true))
            break;
    if (result.ok() && !split.tail.lines.isEmpty()) {
        bool wouldStore = false;
        if (resolver.process(split.tail, false, &wouldStore) && wouldStore) {
            result.error = ResolveError::UnterminatedStatement;
            result.errorLine = split.tail.contentLine();
        }
    }
    if (!result.ok()) {
        result.rows.clear();
        return result;
    }
    if (options.plsqlStatement)
        for (const StoredStatement& row : result.rows)
            if (row.text.startsWith(QLatin1String("#PL/SQL#")))
                options.plsqlStatement(row.text);
    return result;
}

} // namespace deploy
