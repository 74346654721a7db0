-- VEXO_UTIL.VEXO_DT_COUNT: the table-size job ("begin VEXO_DT_COUNT; end;", once a day). It counts the rows of every
-- table of the owners listed in IMON_PARAM.DT_OWNERS (comma-separated) into a new snapshot: VEXO_DT_MAIN the
-- snapshot, VEXO_DT_COL a row count per table (tables of the same name in two owners are added up), VEXO_DT_RUNS
-- when the run started and ended. The job runs without an owner before its name: a public synonym.

CONNECT VEXO_UTIL/VEXO_UTIL

CREATE OR REPLACE PROCEDURE VEXO_UTIL.VEXO_DT_COUNT IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V02.07';
  vOwners VARCHAR2(200);
  vOwner  VARCHAR2(128);
  vIdx    NUMBER;
  vCount  NUMBER;
  vTables NUMBER := 0;
  vPos    PLS_INTEGER := 1;
  vComma  PLS_INTEGER;
BEGIN
  SELECT MAX(DT_OWNERS) INTO vOwners FROM VEXO_UTIL.IMON_PARAM;
  vOwners := NVL(vOwners, 'VOXA');
  SELECT NVL(MAX(IDXOFDT), 0) + 1 INTO vIdx FROM VEXO_UTIL.VEXO_DT_MAIN;
  INSERT INTO VEXO_UTIL.VEXO_DT_MAIN (IDXOFDT, DATEOFDT) VALUES (vIdx, SYSDATE);
  INSERT INTO VEXO_UTIL.VEXO_DT_RUNS (IDXOFDT, RUN_START) VALUES (vIdx, SYSDATE);
  WHILE vPos <= LENGTH(vOwners) LOOP
    vComma := INSTR(vOwners, ',', vPos);
    IF vComma = 0 THEN
      vComma := LENGTH(vOwners) + 1;
    END IF;
    vOwner := UPPER(TRIM(SUBSTR(vOwners, vPos, vComma - vPos)));
    vPos := vComma + 1;
    -- The names come from the dictionary, never from the parameter text, before they reach the statement.
    FOR t IN (SELECT OWNER, TABLE_NAME FROM ALL_TABLES WHERE OWNER = vOwner ORDER BY TABLE_NAME) LOOP
      EXECUTE IMMEDIATE 'SELECT COUNT(*) FROM "' || t.OWNER || '"."' || t.TABLE_NAME || '"' INTO vCount;
      UPDATE VEXO_UTIL.VEXO_DT_COL SET RECOFDT = RECOFDT + vCount
       WHERE IDXOFDT = vIdx AND TABLEOFDT = SUBSTR(t.TABLE_NAME, 1, 30);
      IF SQL%ROWCOUNT = 0 THEN
        INSERT INTO VEXO_UTIL.VEXO_DT_COL (IDXOFDT, TABLEOFDT, RECOFDT)
        VALUES (vIdx, SUBSTR(t.TABLE_NAME, 1, 30), vCount);
        vTables := vTables + 1;
      END IF;
    END LOOP;
  END LOOP;
  UPDATE VEXO_UTIL.VEXO_DT_RUNS SET RUN_END = SYSDATE, RUN_TABLES = vTables WHERE IDXOFDT = vIdx;
  COMMIT;
END VEXO_DT_COUNT;
/

CONNECT SYSTEM/MANAGER
CREATE OR REPLACE PUBLIC SYNONYM VEXO_DT_COUNT FOR VEXO_UTIL.VEXO_DT_COUNT;
