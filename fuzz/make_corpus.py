#!/usr/bin/env python3
"""Writes a corpus for the SQL front end's fuzz target: random mutations of the statements in the parser tests.

    fuzz/make_corpus.py OUT_DIR [SEED] [COUNT]
    find OUT_DIR -type f | xargs -n 500 build/<dir>/fuzz/sql_front_fuzz_replay

The same directory seeds libFuzzer: build/<clang dir>/fuzz/sql_front_fuzz OUT_DIR
"""
import os
import random
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TESTS = [os.path.join(HERE, '..', 'tests', 'engine', n) for n in ('parser_test.cpp', 'malformed_test.cpp')]


def statements():
    out = []
    for path in TESTS:
        text = open(path, encoding='utf-8').read()
        out += re.findall(r'R"sql\((.*?)\)sql"', text, re.S)
        out += [bytes(s, 'utf-8').decode('unicode_escape') for s in re.findall(r'\{ "((?:[^"\\]|\\.)*)", \d+, \d+ \}', text)]
    out += PLSQL
    out += seed_statements()
    return [s for s in out if s]


# More seeds live in fuzz/seeds/: each *.sql file holds statements separated by a line holding only "/", each
# *.pieces file one mutation piece a line.
SEEDS = os.path.join(HERE, 'seeds')


def seed_files(suffix):
    if not os.path.isdir(SEEDS):
        return []
    return [os.path.join(SEEDS, n) for n in sorted(os.listdir(SEEDS)) if n.endswith(suffix)]


def seed_statements():
    out = []
    for path in seed_files('.sql'):
        text = open(path, encoding='utf-8').read()
        out += [s.strip() for s in re.split(r'^/[ \t]*$', text, flags=re.M) if s.strip()]
    return out


def seed_pieces():
    out = []
    for path in seed_files('.pieces'):
        out += [line.rstrip('\n') for line in open(path, encoding='utf-8') if line.strip()]
    return out


# PL/SQL blocks with collections and bulk binds, for the PL/SQL front end's target.
PLSQL = [
    "DECLARE TYPE t IS TABLE OF NUMBER; TYPE v IS VARRAY(3) OF VARCHAR2(10); TYPE m IS TABLE OF NUMBER INDEX BY "
    "VARCHAR2(5); a t := t(1, 2); b v; c m; BEGIN a.EXTEND(2, 1); a.TRIM; a.DELETE(1, 2); c('k') := a(a.LAST); "
    "b := v('x'); END;",
    "DECLARE TYPE t IS TABLE OF s%ROWTYPE; r t; CURSOR c IS SELECT * FROM s; BEGIN SELECT * BULK COLLECT INTO r "
    "FROM s; OPEN c; FETCH c BULK COLLECT INTO r LIMIT 10; FORALL i IN 1 .. r.COUNT SAVE EXCEPTIONS INSERT INTO d "
    "VALUES r(i); EXCEPTION WHEN OTHERS THEN x := SQL%BULK_EXCEPTIONS(1).ERROR_CODE + SQL%BULK_ROWCOUNT(1); END;",
    "BEGIN FORALL i IN INDICES OF ids BETWEEN 1 AND 5 DELETE FROM d WHERE id = ids(i) RETURNING id BULK COLLECT "
    "INTO gone; FORALL j IN VALUES OF pick UPDATE d SET ROW = r WHERE id = ids(j); END;",
    "CREATE PROCEDURE p IS PRAGMA AUTONOMOUS_TRANSACTION; BEGIN <<again>> INSERT INTO l VALUES (1); COMMIT; "
    "GOTO done; <<done>> NULL; EXCEPTION WHEN OTHERS THEN x := DBMS_UTILITY.FORMAT_ERROR_BACKTRACE || SQLERRM(-1); END;",
    "DECLARE e EXCEPTION; PRAGMA EXCEPTION_INIT(e, -1476); BEGIN EXECUTE IMMEDIATE 'SELECT a FROM t WHERE b = :1' "
    "BULK COLLECT INTO r USING 1; EXECUTE IMMEDIATE 'DELETE t WHERE a = :a RETURNING b INTO :b' USING 2 RETURNING "
    "BULK COLLECT INTO r; <<outer>> FOR i IN 1 .. 3 LOOP CONTINUE outer WHEN i = 2; EXIT outer; END LOOP; END;",
]


PIECES = ["(", ")", ",", "'", '"', "q'[", "]'", "n'", ":x", ":1", "(+)", "||", "--", "/*", "*/", "/*+", ";", "/",
          "\n/\n", "select", "from", "where", "union", "minus", "order by", "group by", "having", "connect by",
          "prior", "start with", "case", "when", "then", "else", "end", "not", "in", "exists", "between", "and", "or",
          "like", "escape", "is", "null", "join", "left", "on", "using", "as", "distinct", "count(*)", "date",
          "rowid", "rownum", "level", "nextval", ".", "create", "table", "alter", "drop", "index", "view",
          "constraint", "primary key", "references", "check", "default", "number(", "varchar2(", "grant", "to",
          "with", "begin", "end;", "@", "=>", "*", "-", "+", "=", "<>", "!=", "1e", ".5", "\x00", "\xff", "\xc3",
          "\xc4\x8d", "?", "&", "\t", "\r\n", "x" * 31, "((((", "))))",
          # the query grammar: query names, windows, ordered aggregates, grouping sets, row limits, pivots and
          # hierarchies
          "recursive", "search depth first by", "search breadth first by", "cycle", "set", "over (", "over ()",
          "partition by", "rows between", "range between", "unbounded preceding", "current row", "following",
          "ignore nulls", "within group (order by", "keep (dense_rank first order by", "last", "offset", "fetch first",
          "fetch next", "rows only", "percent", "with ties", "natural", "rollup(", "cube(", "grouping sets(", "()",
          "pivot (", "unpivot (", "unpivot include nulls (", "for", "siblings", "connect_by_root", "nocycle",
          "connect_by_isleaf", "connect_by_iscycle", "regexp_like(", "lnnvl(", "listagg(",
          # PL/SQL: bulk binds, collections, labels, autonomous transactions and dynamic SQL
          "forall", "bulk collect into", "limit", "save exceptions", "indices of", "values of",
          "varray(", "index by", "%bulk_rowcount(", ".extend", ".delete(", "set row =", "goto", "<<", ">>",
          "pragma autonomous_transaction;", "execute immediate", "returning bulk collect into", "continue when"]


def mutate(rng, base, pool):
    s = base
    for _ in range(rng.randint(1, 6)):
        op = rng.random()
        p = rng.randint(0, len(s))
        if op < 0.25:
            s = s[:p] + rng.choice(PIECES) + s[p:]
        elif op < 0.45:
            s = s[:p] + s[rng.randint(p, min(len(s), p + 12)):]
        elif op < 0.6:
            q = rng.randint(p, min(len(s), p + 30))
            s = s[:q] + s[p:q] * rng.randint(1, 40) + s[q:]
        elif op < 0.7:
            s = s[:p]
        elif op < 0.8:
            t = rng.choice(pool)
            a = rng.randint(0, len(t))
            s = s[:p] + t[a:a + rng.randint(1, 40)] + s[p:]
        elif op < 0.9:
            k = rng.randint(50, 400)
            s = s[:p] + "(" * k + s[p:] + ")" * rng.choice([0, k])
        else:
            s = s[:p] + chr(rng.randint(0, 255)) + s[p:]
    return s


def main():
    out = sys.argv[1]
    rng = random.Random(int(sys.argv[2]) if len(sys.argv) > 2 else 1)
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 20000
    pool = statements()
    PIECES.extend(seed_pieces())
    os.makedirs(out, exist_ok=True)
    for i in range(count):
        s = mutate(rng, rng.choice(pool), pool)
        data = s.encode('latin-1') if all(ord(c) < 256 for c in s) else s.encode('utf-8')
        with open(os.path.join(out, 'm%05d.sql' % i), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
