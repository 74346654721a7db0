-- VOXA.pckOsnUtil: the application's server files.
--
-- getPot          the server directory of the application's files: the LogDirPath parameter ('.' is the
--                 database's own directory, as UTL_FILE names it)
-- VEXO_showLog(year, month, kind, filter, duration)
--                 one month of a server log, the file kind + '_' + YYYYMM + '.log' in that directory, piece by
--                 piece: each call with the same arguments returns the next piece (whole lines, each ending with
--                 CR LF), then 'END', after which the next call starts again; 'NOK' when the log cannot be read.
--                 Only events whose line holds the filter (case ignored) and that lasted at least the duration
--                 in seconds are returned, each with its detail lines.
-- A log line is an event, "E dd hh:mi:ss/user/action/seconds", or a detail line of the event before it, "##...".

CONNECT VOXA/VOXA

CREATE OR REPLACE PACKAGE VOXA.pckOsnUtil IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V06.10';

  FUNCTION getPot RETURN VARCHAR2;
  FUNCTION VEXO_showLog(pYear IN VARCHAR2, pMonth IN VARCHAR2, pKind IN VARCHAR2, pFilter IN VARCHAR2,
                        pDuration IN NUMBER) RETURN VARCHAR2;
END pckOsnUtil;
/

CREATE OR REPLACE PACKAGE BODY VOXA.pckOsnUtil IS
  VEXO_VERSION_BODY CONSTANT VARCHAR2(10) := 'V06.10';
  cPiece CONSTANT PLS_INTEGER := 4000;
  TYPE tPieces IS TABLE OF VARCHAR2(4000) INDEX BY BINARY_INTEGER;
  gKey    VARCHAR2(400);
  gPieces tPieces;
  gCount  PLS_INTEGER := 0;
  gNext   PLS_INTEGER := 1;

  FUNCTION getPot RETURN VARCHAR2 IS
    vPath VARCHAR2(250);
  BEGIN
    SELECT MAX(VAL1_107) INTO vPath FROM VOXA.PR107PAR WHERE ATTR_007 = 'LogDirPath' AND STAT_107 = '1';
    RETURN NVL(vPath, '.');
  END getPot;

  PROCEDURE reset IS
  BEGIN
    -- Pieces left from an earlier read lie beyond gCount and are overwritten or never read.
    gKey := NULL;
    gCount := 0;
    gNext := 1;
  END reset;

  PROCEDURE addText(pText IN VARCHAR2) IS
  BEGIN
    IF gCount = 0 OR LENGTH(gPieces(gCount)) + LENGTH(pText) > cPiece THEN
      gCount := gCount + 1;
      gPieces(gCount) := pText;
    ELSE
      gPieces(gCount) := gPieces(gCount) || pText;
    END IF;
  END addText;

  -- The seconds an event lasted: its fourth field, 0 when it has none.
  FUNCTION seconds(pLine IN VARCHAR2) RETURN NUMBER IS
    vFrom PLS_INTEGER := INSTR(pLine, '/', 1, 3);
    vTo   PLS_INTEGER;
  BEGIN
    IF vFrom = 0 THEN
      RETURN 0;
    END IF;
    vTo := INSTR(pLine, '/', vFrom + 1);
    IF vTo = 0 THEN
      vTo := LENGTH(pLine) + 1;
    END IF;
    RETURN NVL(TO_NUMBER(TRIM(SUBSTR(pLine, vFrom + 1, vTo - vFrom - 1))), 0);
  EXCEPTION
    WHEN VALUE_ERROR OR INVALID_NUMBER THEN
      RETURN 0;
  END seconds;

  -- Reads the whole log into pieces; false when it cannot be read.
  FUNCTION load(pYear IN VARCHAR2, pMonth IN VARCHAR2, pKind IN VARCHAR2, pFilter IN VARCHAR2,
                pDuration IN NUMBER) RETURN BOOLEAN IS
    vYear  NUMBER;
    vMonth NUMBER;
    vFile  UTL_FILE.FILE_TYPE;
    vLine  VARCHAR2(4000);
    vTake  BOOLEAN := FALSE;
    vName  VARCHAR2(200);
  BEGIN
    BEGIN
      vYear := TO_NUMBER(TRIM(pYear));
      vMonth := TO_NUMBER(TRIM(pMonth));
    EXCEPTION
      WHEN VALUE_ERROR OR INVALID_NUMBER THEN
        RETURN FALSE;
    END;
    IF vYear IS NULL OR vMonth IS NULL OR vYear NOT BETWEEN 1900 AND 9999 OR vMonth NOT BETWEEN 1 AND 12
       OR TRIM(pKind) IS NULL
       OR TRANSLATE(UPPER(TRIM(pKind)), '*ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_', '*') IS NOT NULL THEN
      RETURN FALSE;
    END IF;
    vName := UPPER(TRIM(pKind)) || '_' || TO_CHAR(vYear) || LPAD(TO_CHAR(vMonth), 2, '0') || '.log';
    BEGIN
      vFile := UTL_FILE.FOPEN(getPot, vName, 'R', 32767);
    EXCEPTION
      WHEN OTHERS THEN
        RETURN FALSE;
    END;
    LOOP
      BEGIN
        UTL_FILE.GET_LINE(vFile, vLine);
      EXCEPTION
        WHEN NO_DATA_FOUND THEN
          EXIT;
      END;
      vLine := RTRIM(vLine, CHR(13));
      IF SUBSTR(vLine, 1, 2) <> '##' OR vLine IS NULL OR LENGTH(vLine) < 2 THEN
        vTake := vLine IS NOT NULL
                 AND (pFilter IS NULL OR INSTR(UPPER(vLine), UPPER(pFilter)) > 0)
                 AND seconds(vLine) >= NVL(pDuration, 0);
      END IF;
      IF vTake THEN
        addText(vLine || CHR(13) || CHR(10));
      END IF;
    END LOOP;
    UTL_FILE.FCLOSE(vFile);
    RETURN TRUE;
  EXCEPTION
    WHEN OTHERS THEN
      IF UTL_FILE.IS_OPEN(vFile) THEN
        UTL_FILE.FCLOSE(vFile);
      END IF;
      RETURN FALSE;
  END load;

  FUNCTION VEXO_showLog(pYear IN VARCHAR2, pMonth IN VARCHAR2, pKind IN VARCHAR2, pFilter IN VARCHAR2,
                        pDuration IN NUMBER) RETURN VARCHAR2 IS
    vKey VARCHAR2(400) := pYear || '/' || pMonth || '/' || pKind || '/' || pFilter || '/' || pDuration;
  BEGIN
    IF gKey IS NULL OR gKey <> vKey THEN
      reset;
      IF NOT load(pYear, pMonth, pKind, pFilter, pDuration) THEN
        reset;
        RETURN 'NOK';
      END IF;
      gKey := vKey;
    END IF;
    IF gNext > gCount THEN
      reset;
      RETURN 'END';
    END IF;
    gNext := gNext + 1;
    RETURN gPieces(gNext - 1);
  END VEXO_showLog;
END pckOsnUtil;
/

GRANT EXECUTE ON VOXA.pckOsnUtil TO VGRUPA;
