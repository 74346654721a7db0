-- VEXO_UTIL.PCKSTRUKTURE: a text dump of an owner's objects for the structure compare.
--
-- GETALLSTRUCTURE(owner, name pattern, type) prepares the dump in the session; GETFROMTABLE then returns it line
-- by line and 'NULL' once it is used up. The type is one of TABLE, TRIGGER, PROCEDURE, FUNCTION, PACKAGE,
-- PACKAGE BODY, SEQUENCE, INDEX, or empty for all of them; blanks around it do not count.
--
-- Layout: each object is a section opened by '###' type '#' name '#'; a table's section lists its columns
-- (name, type, NOT NULL), then '#CON' and its constraints, then '#IND' and its indexes; a stored unit's section is
-- its source, a trigger's its description, status and body, a sequence's its settings, an index's its table, columns
-- and uniqueness. The dump ends with '###END##'. The dictionary is read through the DBA_ views (the package runs with
-- its owner's SELECT ANY DICTIONARY), so the dump holds every object of the owner, whoever asks.
-- The first word of a column, constraint or index line is its name, which the compare uses to pair lines.

CONNECT VEXO_UTIL/VEXO_UTIL

CREATE OR REPLACE PACKAGE VEXO_UTIL.PCKSTRUKTURE IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V06.04';

  PROCEDURE GETALLSTRUCTURE(pOwner IN VARCHAR2, pName IN VARCHAR2, pType IN VARCHAR2);
  FUNCTION GETFROMTABLE RETURN VARCHAR2;
END PCKSTRUKTURE;
/

CREATE OR REPLACE PACKAGE BODY VEXO_UTIL.PCKSTRUKTURE IS
  VEXO_VERSION_BODY CONSTANT VARCHAR2(10) := 'V06.04';
  TYPE tLines IS TABLE OF VARCHAR2(4000) INDEX BY BINARY_INTEGER;
  gLines tLines;
  gCount BINARY_INTEGER := 0;
  gNext  BINARY_INTEGER := 1;

  PROCEDURE addLine(pLine IN VARCHAR2) IS
  BEGIN
    gCount := gCount + 1;
    gLines(gCount) := pLine;
  END addLine;

  FUNCTION typeText(pType IN VARCHAR2, pLength IN NUMBER, pPrecision IN NUMBER, pScale IN NUMBER) RETURN VARCHAR2 IS
  BEGIN
    IF pType IN ('VARCHAR2', 'VARCHAR', 'CHAR', 'NVARCHAR2', 'NCHAR', 'RAW') THEN
      RETURN pType || '(' || pLength || ')';
    ELSIF pType = 'NUMBER' AND pPrecision IS NOT NULL THEN
      IF NVL(pScale, 0) = 0 THEN
        RETURN 'NUMBER(' || pPrecision || ')';
      END IF;
      RETURN 'NUMBER(' || pPrecision || ',' || pScale || ')';
    END IF;
    RETURN pType;
  END typeText;

  FUNCTION consColumns(pOwner IN VARCHAR2, pName IN VARCHAR2) RETURN VARCHAR2 IS
    vList VARCHAR2(2000);
  BEGIN
    FOR c IN (SELECT COLUMN_NAME FROM DBA_CONS_COLUMNS
               WHERE OWNER = pOwner AND CONSTRAINT_NAME = pName ORDER BY POSITION) LOOP
      vList := vList || CASE WHEN vList IS NOT NULL THEN ',' END || c.COLUMN_NAME;
    END LOOP;
    RETURN vList;
  END consColumns;

  FUNCTION indColumns(pOwner IN VARCHAR2, pName IN VARCHAR2) RETURN VARCHAR2 IS
    vList VARCHAR2(2000);
  BEGIN
    FOR c IN (SELECT COLUMN_NAME FROM DBA_IND_COLUMNS
               WHERE INDEX_OWNER = pOwner AND INDEX_NAME = pName ORDER BY COLUMN_POSITION) LOOP
      vList := vList || CASE WHEN vList IS NOT NULL THEN ',' END || c.COLUMN_NAME;
    END LOOP;
    RETURN vList;
  END indColumns;

  PROCEDURE dumpTables(pOwner IN VARCHAR2, pName IN VARCHAR2) IS
  BEGIN
    FOR t IN (SELECT TABLE_NAME FROM DBA_TABLES WHERE OWNER = pOwner AND TABLE_NAME LIKE pName
               ORDER BY TABLE_NAME) LOOP
      addLine('###TABLE#' || t.TABLE_NAME || '#');
      FOR c IN (SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, NULLABLE
                  FROM DBA_TAB_COLUMNS WHERE OWNER = pOwner AND TABLE_NAME = t.TABLE_NAME ORDER BY COLUMN_ID) LOOP
        addLine(c.COLUMN_NAME || ' ' || typeText(c.DATA_TYPE, c.DATA_LENGTH, c.DATA_PRECISION, c.DATA_SCALE)
                || CASE WHEN c.NULLABLE = 'N' THEN ' NOT NULL' END);
      END LOOP;
      addLine('#CON');
      FOR k IN (SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE, R_OWNER, R_CONSTRAINT_NAME, STATUS
                  FROM DBA_CONSTRAINTS WHERE OWNER = pOwner AND TABLE_NAME = t.TABLE_NAME
                 ORDER BY CONSTRAINT_NAME) LOOP
        addLine(k.CONSTRAINT_NAME || ' '
                || CASE k.CONSTRAINT_TYPE WHEN 'P' THEN 'PRIMARY KEY' WHEN 'U' THEN 'UNIQUE'
                                          WHEN 'R' THEN 'FOREIGN KEY' ELSE 'CHECK' END
                || ' (' || consColumns(pOwner, k.CONSTRAINT_NAME) || ')'
                || CASE WHEN k.CONSTRAINT_TYPE = 'R' THEN ' REFERENCES ' || k.R_OWNER || '.' || k.R_CONSTRAINT_NAME END
                || ' ' || k.STATUS);
      END LOOP;
      addLine('#IND');
      FOR i IN (SELECT INDEX_NAME, UNIQUENESS FROM DBA_INDEXES
                 WHERE OWNER = pOwner AND TABLE_NAME = t.TABLE_NAME ORDER BY INDEX_NAME) LOOP
        addLine(i.INDEX_NAME || ' (' || indColumns(pOwner, i.INDEX_NAME) || ') ' || i.UNIQUENESS);
      END LOOP;
    END LOOP;
  END dumpTables;

  PROCEDURE dumpSequences(pOwner IN VARCHAR2, pName IN VARCHAR2) IS
  BEGIN
    FOR s IN (SELECT SEQUENCE_NAME, MIN_VALUE, MAX_VALUE, INCREMENT_BY, CYCLE_FLAG FROM DBA_SEQUENCES
               WHERE SEQUENCE_OWNER = pOwner AND SEQUENCE_NAME LIKE pName ORDER BY SEQUENCE_NAME) LOOP
      addLine('###SEQUENCE#' || s.SEQUENCE_NAME || '#');
      addLine('INCREMENT BY ' || s.INCREMENT_BY || ' MINVALUE ' || s.MIN_VALUE || ' MAXVALUE ' || s.MAX_VALUE
              || ' CYCLE ' || s.CYCLE_FLAG);
    END LOOP;
  END dumpSequences;

  PROCEDURE dumpIndexes(pOwner IN VARCHAR2, pName IN VARCHAR2) IS
  BEGIN
    FOR i IN (SELECT INDEX_NAME, TABLE_NAME, UNIQUENESS FROM DBA_INDEXES
               WHERE OWNER = pOwner AND INDEX_NAME LIKE pName ORDER BY INDEX_NAME) LOOP
      addLine('###INDEX#' || i.INDEX_NAME || '#');
      addLine(i.TABLE_NAME || ' (' || indColumns(pOwner, i.INDEX_NAME) || ') ' || i.UNIQUENESS);
    END LOOP;
  END dumpIndexes;

  -- A trigger as its CREATE gives it: the description, then the body, line by line.
  PROCEDURE dumpTriggers(pOwner IN VARCHAR2, pName IN VARCHAR2) IS
    vText VARCHAR2(32760);
    vFrom PLS_INTEGER;
    vTo   PLS_INTEGER;
  BEGIN
    FOR t IN (SELECT TRIGGER_NAME, DESCRIPTION, TRIGGER_BODY, STATUS FROM DBA_TRIGGERS
               WHERE OWNER = pOwner AND TRIGGER_NAME LIKE pName ORDER BY TRIGGER_NAME) LOOP
      addLine('###TRIGGER#' || t.TRIGGER_NAME || '#');
      addLine(RTRIM(t.DESCRIPTION, CHR(10) || CHR(13) || ' '));
      addLine('STATUS ' || t.STATUS);
      vText := t.TRIGGER_BODY;
      vFrom := 1;
      WHILE vFrom <= NVL(LENGTH(vText), 0) LOOP
        vTo := INSTR(vText, CHR(10), vFrom);
        IF vTo = 0 THEN
          vTo := LENGTH(vText) + 1;
        END IF;
        addLine(RTRIM(SUBSTR(vText, vFrom, vTo - vFrom), CHR(13)));
        vFrom := vTo + 1;
      END LOOP;
    END LOOP;
  END dumpTriggers;

  PROCEDURE dumpSources(pOwner IN VARCHAR2, pName IN VARCHAR2, pType IN VARCHAR2) IS
    vLast VARCHAR2(200) := '#';
  BEGIN
    FOR s IN (SELECT TYPE, NAME, TEXT FROM DBA_SOURCE
               WHERE OWNER = pOwner AND NAME LIKE pName AND TYPE = pType ORDER BY NAME, LINE) LOOP
      IF s.NAME <> vLast THEN
        addLine('###' || s.TYPE || '#' || s.NAME || '#');
        vLast := s.NAME;
      END IF;
      addLine(RTRIM(s.TEXT, CHR(10) || CHR(13)));
    END LOOP;
  END dumpSources;

  PROCEDURE GETALLSTRUCTURE(pOwner IN VARCHAR2, pName IN VARCHAR2, pType IN VARCHAR2) IS
    vOwner VARCHAR2(128) := UPPER(TRIM(pOwner));
    vName  VARCHAR2(128) := NVL(UPPER(TRIM(pName)), '%');
    vType  VARCHAR2(30) := UPPER(TRIM(pType));
  BEGIN
    -- Lines left from an earlier dump lie beyond gCount and are overwritten or never read.
    gCount := 0;
    gNext := 1;
    IF vType IS NULL OR vType = 'TABLE' THEN
      dumpTables(vOwner, vName);
    END IF;
    IF vType IS NULL OR vType = 'SEQUENCE' THEN
      dumpSequences(vOwner, vName);
    END IF;
    IF vType IS NULL OR vType = 'INDEX' THEN
      dumpIndexes(vOwner, vName);
    END IF;
    IF vType IS NULL THEN
      dumpSources(vOwner, vName, 'PACKAGE');
      dumpSources(vOwner, vName, 'PACKAGE BODY');
      dumpSources(vOwner, vName, 'PROCEDURE');
      dumpSources(vOwner, vName, 'FUNCTION');
      dumpTriggers(vOwner, vName);
    ELSIF vType = 'TRIGGER' THEN
      dumpTriggers(vOwner, vName);
    ELSIF vType IN ('PACKAGE', 'PACKAGE BODY', 'PROCEDURE', 'FUNCTION') THEN
      dumpSources(vOwner, vName, vType);
    END IF;
    addLine('###END##');
  END GETALLSTRUCTURE;

  FUNCTION GETFROMTABLE RETURN VARCHAR2 IS
  BEGIN
    IF gNext > gCount THEN
      RETURN 'NULL';
    END IF;
    gNext := gNext + 1;
    RETURN gLines(gNext - 1);
  END GETFROMTABLE;
END PCKSTRUKTURE;
/

GRANT EXECUTE ON VEXO_UTIL.PCKSTRUKTURE TO VGRUPA;
