-- VEXO_UTIL.getMemoFiltExs: 'T' when the statement text (the LONG column SCRIPT_CONT) of a row of the script table
-- holds the filter text, case ignored; 'F' otherwise, also for a row that no longer exists. The script executor's
-- lists call it in their WHERE clauses with each row's ROWID.

CONNECT VEXO_UTIL/VEXO_UTIL

CREATE OR REPLACE FUNCTION VEXO_UTIL.getMemoFiltExs(pRowid IN ROWID, pFilter IN VARCHAR2) RETURN VARCHAR2 IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V04.03';
  vText VARCHAR2(32760);
BEGIN
  IF pFilter IS NULL THEN
    RETURN 'T';
  END IF;
  SELECT SCRIPT_CONT INTO vText FROM VEXO_UTIL.VEXO_EXS WHERE ROWID = pRowid;
  IF INSTR(UPPER(vText), UPPER(pFilter)) > 0 THEN
    RETURN 'T';
  END IF;
  RETURN 'F';
EXCEPTION
  WHEN NO_DATA_FOUND THEN
    RETURN 'F';
END getMemoFiltExs;
/

GRANT EXECUTE ON VEXO_UTIL.getMemoFiltExs TO VGRUPA;
