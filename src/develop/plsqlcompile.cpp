#include "develop/plsqlcompile.h"

#include "db/oracleerror.h"
#include "db/query.h"
#include "db/session.h"
#include "shell/mainservices.h"

namespace develop {

namespace {

// A word or quoted name of a statement, with its place among the kept lines.
struct Token {
    QString text; // an unquoted word in upper case, a quoted name as written inside the quotes, or one character
    bool quoted = false;
    bool word = false;
    int line = 0; // index of the kept line
    int column = 1; // 1-based
};

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#');
}

// The tokens of the lines, comments and string literals left out, up to `limit` tokens.
QVector<Token> tokenize(const QStringList& lines, int limit)
{
    QVector<Token> out;
    bool inComment = false;
    for (int l = 0; l < lines.size() && out.size() < limit; ++l) {
        const QString& s = lines.at(l);
        int i = 0;
        while (i < s.size() && out.size() < limit) {
            if (inComment) {
                const int end = int(s.indexOf(QLatin1String("*/"), i));
                if (end < 0) {
                    i = int(s.size());
                    break;
                }
                inComment = false;
                i = end + 2;
                continue;
            }
            const QChar c = s.at(i);
            if (c.isSpace()) {
                ++i;
            } else if (s.mid(i, 2) == QLatin1String("--")) {
                break;
            } else if (s.mid(i, 2) == QLatin1String("/*")) {
                inComment = true;
                i += 2;
            } else if (c == QLatin1Char('\'')) {
                // A literal ends at its closing quote on the same line; none in a header spans lines.
                int j = i + 1;
                while (j < s.size()) {
                    if (s.at(j) == QLatin1Char('\'')) {
                        if (j + 1 < s.size() && s.at(j + 1) == QLatin1Char('\'')) {
                            j += 2;
                            continue;
                        }
                        break;
                    }
                    ++j;
                }
                i = j + 1;
            } else if (c == QLatin1Char('"')) {
                const int end = int(s.indexOf(QLatin1Char('"'), i + 1));
                const int stop = end < 0 ? int(s.size()) : end;
                out.append({ s.mid(i + 1, stop - i - 1), true, true, l, i + 1 });
                i = stop + 1;
            } else if (isWordChar(c)) {
                int j = i;
                while (j < s.size() && isWordChar(s.at(j)))
                    ++j;
                out.append({ s.mid(i, j - i).toUpper(), false, true, l, i + 1 });
                i = j;
            } else {
                out.append({ QString(c), false, false, l, i + 1 });
                ++i;
            }
        }
    }
    return out;
}

bool is(const QVector<Token>& t, int i, const char* word)
{
    return i < t.size() && t.at(i).word && !t.at(i).quoted && t.at(i).text == QLatin1String(word);
}

} // namespace

QVector<CompileBlock> splitCompileBlocks(const QStringList& lines)
{
    QVector<CompileBlock> blocks;
    CompileBlock current;
    current.firstLine = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (line.startsWith(QLatin1Char('/')) && !line.startsWith(QLatin1String("/*"))) {
            blocks.append(current);
            current = CompileBlock();
            current.firstLine = i + 1;
            continue;
        }
        if (line.trimmed().isEmpty())
            continue;
        current.kept.append(line);
        current.keptLines.append(i);
    }
    blocks.append(current);
    for (CompileBlock& b : blocks) {
        QString text;
        for (const QString& line : b.kept)
            text += line + QStringLiteral("\r\n");
        b.text = shell::f_venPodpicje(text);
    }
    return blocks;
}

std::optional<CompiledObject> compiledObjectOf(const QStringList& keptLines)
{
    // The header is short; the trigger's body may begin some lines further on.
    const QVector<Token> t = tokenize(keptLines, 400);
    int i = 0;
    const bool create = is(t, i, "CREATE");
    if (!create)
        return std::nullopt;
    ++i;
    if (is(t, i, "OR") && is(t, i + 1, "REPLACE"))
        i += 2;
    while (is(t, i, "EDITIONABLE") || is(t, i, "NONEDITIONABLE") || is(t, i, "EDITIONING") || is(t, i, "FORCE")
        || (is(t, i, "NO") && is(t, i + 1, "FORCE")))
        i += is(t, i, "NO") ? 2 : 1;
    if (i >= t.size())
        return std::nullopt;
    CompiledObject o;
    const Token& typeWord = t.at(i);
    o.anchorLine = typeWord.line;
    o.anchorColumn = typeWord.column;
    if (is(t, i, "PACKAGE") || is(t, i, "TYPE")) {
        o.type = typeWord.text;
        ++i;
        // PACKAGE BODY name; a package named BODY is PACKAGE BODY followed by IS or AS.
        if (is(t, i, "BODY") && i + 1 < t.size() && t.at(i + 1).word && !is(t, i + 1, "IS") && !is(t, i + 1, "AS")) {
            o.type += QStringLiteral(" BODY");
            ++i;
        }
    } else if (is(t, i, "PROCEDURE") || is(t, i, "FUNCTION") || is(t, i, "TRIGGER") || is(t, i, "VIEW")) {
        o.type = typeWord.text;
        ++i;
    } else {
        return std::nullopt;
    }
    if (i >= t.size() || !t.at(i).word)
        return std::nullopt;
    o.name = t.at(i).text;
    ++i;
    if (i + 1 < t.size() && t.at(i).text == QLatin1String(".") && !t.at(i).word && t.at(i + 1).word) {
        o.owner = o.name;
        o.name = t.at(i + 1).text;
        i += 2;
    }
    if (o.type == QLatin1String("TRIGGER")) {
        for (; i < t.size(); ++i) {
            if (is(t, i, "DECLARE") || is(t, i, "BEGIN")) {
                o.anchorLine = t.at(i).line;
                o.anchorColumn = t.at(i).column;
                break;
            }
        }
    }
    return o;
}

QString quoteIdentifier(const QString& name)
{
    bool plain = !name.isEmpty() && name.size() <= 128 && name.at(0) >= QLatin1Char('A')
        && name.at(0) <= QLatin1Char('Z');
    for (QChar c : name) {
        if (!plain)
            break;
        plain = (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            || c == QLatin1Char('_') || c == QLatin1Char('$') || c == QLatin1Char('#');
    }
    if (plain)
        return name;
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

bool CompileErrorList::add(const TNapake& error)
{
    if (full())
        return false;
    list.append(error);
    return true;
}

EditorPoint errorPlace(const CompileBlock& block, const CompiledObject& object, int serverLine, int serverPosition)
{
    EditorPoint p;
    if (block.empty())
        return p;
    int kept = object.anchorLine + qMax(0, serverLine - 1);
    kept = qBound(0, kept, int(block.keptLines.size()) - 1);
    int column = qMax(1, serverPosition);
    if (serverLine <= 1)
        column = serverLine < 1 ? object.anchorColumn : object.anchorColumn + column - 1;
    p.line = block.keptLines.at(kept) + 1;
    p.column = column;
    return p;
}

int originalColumn(const QString& editorLine, const QString& substitutedLine, int column)
{
    if (editorLine == substitutedLine)
        return column;
    const int a = int(editorLine.size());
    const int b = int(substitutedLine.size());
    int prefix = 0;
    while (prefix < a && prefix < b && editorLine.at(prefix) == substitutedLine.at(prefix))
        ++prefix;
    int suffix = 0;
    while (suffix < a - prefix && suffix < b - prefix && editorLine.at(a - 1 - suffix) == substitutedLine.at(b - 1 - suffix))
        ++suffix;
    const int index = column - 1;
    if (index < prefix)
        return column;
    if (index >= b - suffix)
        return column - (b - a);
    return prefix + 1;
}

namespace {

// The errors of one object that the server reported as compiled with errors.
void readObjectErrors(db::Session& session, const CompileBlock& block, const CompiledObject& object,
    const QStringList& editorLines, const QStringList& sentLines, CompileErrorList& errors)
{
    db::Query q(&session);
    q.setSql(QString::fromLatin1(objectErrorsQuery));
    q.setVariable(QStringLiteral("upor"), object.owner);
    q.setVariable(QStringLiteral("ime"), object.name);
    q.setVariable(QStringLiteral("tip"), object.type);
    q.execute();
    for (; !q.eof() && !errors.full(); q.next()) {
        EditorPoint p = errorPlace(block, object, q.field(0).toInt(), q.field(1).toInt());
        const int index = p.line - 1;
        if (index >= 0 && index < editorLines.size() && index < sentLines.size())
            p.column = originalColumn(editorLines.at(index), sentLines.at(index), p.column);
        errors.add({ object.name, p.line, p.column, q.field(2).toString() });
    }
}

} // namespace

CompileOutcome compileLines(db::Session& session, const QStringList& editorLines, const QStringList& sentLines,
    const QString& currentSchema, CompileErrorList& errors, const CompileHooks& hooks)
{
    CompileOutcome outcome;
    db::Query quDyn(&session);
    for (const CompileBlock& block : splitCompileBlocks(sentLines)) {
        if (block.empty())
            continue;
        if (hooks.beforeSend && !hooks.beforeSend(block))
            continue;
        ++outcome.sent;
        std::optional<CompiledObject> object = compiledObjectOf(block.kept);
        if (object && object->owner.isEmpty())
            object->owner = currentSchema;
        try {
            quDyn.setSql(block.text);
            quDyn.execute();
        } catch (const db::OracleError& e) {
            ++outcome.refused;
            if (hooks.refused)
                hooks.refused(block, e);
            continue;
        }
        if (hooks.executed)
            hooks.executed(block);
        // The server says whether the object was stored with compile errors; only then are they read.
        if (!quDyn.warning() || quDyn.warning()->code() != 24344)
            continue;
        const int before = errors.size();
        if (object) {
            outcome.lastOwner = object->owner;
            readObjectErrors(session, block, *object, editorLines, sentLines, errors);
        }
        // Compiled with errors that the dictionary does not list (a view, ALTER ... COMPILE): the warning itself is
        // the error, at the block's first line, so the run never reads as clean.
        if (errors.size() == before)
            errors.add({ object ? object->name : QString(), block.keptLines.first() + 1, 1,
                quDyn.warning()->message() });
    }
    return outcome;
}

} // namespace develop
