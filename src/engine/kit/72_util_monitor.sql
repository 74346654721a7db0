-- VEXO_UTIL.VEXO_MONITOR: the monitor job ("begin VEXO_UTIL.VEXO_MONITOR; end;", every five minutes). It checks the
-- free space of the tablespaces listed in IMON_PARAM.TS_TABLESPACES (separated by ';') against the limits in MB:
-- below TS_MALAMEJA a warning of priority 1, below TS_VELIKAMEJA one of priority 5, in IMON_WARNING (type
-- TS_FREESPACE), at most one unread warning per tablespace and priority.

CONNECT VEXO_UTIL/VEXO_UTIL

CREATE OR REPLACE PROCEDURE VEXO_UTIL.VEXO_MONITOR IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V02.02';
  vList     VARCHAR2(500);
  vSmall    NUMBER;
  vLarge    NUMBER;
  vSpace    VARCHAR2(128);
  vFree     NUMBER;
  vPriority NUMBER;
  vText     VARCHAR2(2000);
  vWaiting  NUMBER;
  vPos      PLS_INTEGER := 1;
  vSep      PLS_INTEGER;
BEGIN
  SELECT MAX(TS_TABLESPACES), MAX(TS_MALAMEJA), MAX(TS_VELIKAMEJA) INTO vList, vSmall, vLarge
    FROM VEXO_UTIL.IMON_PARAM;
  WHILE vPos <= NVL(LENGTH(vList), 0) LOOP
    vSep := INSTR(vList, ';', vPos);
    IF vSep = 0 THEN
      vSep := LENGTH(vList) + 1;
    END IF;
    vSpace := UPPER(TRIM(SUBSTR(vList, vPos, vSep - vPos)));
    vPos := vSep + 1;
    SELECT NVL(SUM(BYTES), 0) / 1048576 INTO vFree FROM DBA_FREE_SPACE WHERE TABLESPACE_NAME = vSpace;
    vPriority := NULL;
    IF vFree < NVL(vSmall, 0) THEN
      vPriority := 1;
    ELSIF vFree < NVL(vLarge, 0) THEN
      vPriority := 5;
    END IF;
    IF vPriority IS NOT NULL THEN
      vText := 'TABLESPACE ' || vSpace || ': ' || TO_CHAR(ROUND(vFree, 1)) || ' MB FREE';
      SELECT COUNT(*) INTO vWaiting FROM VEXO_UTIL.IMON_WARNING
       WHERE MESSTYPE = 'TS_FREESPACE' AND READDATE IS NULL AND DELETED = 'N' AND PRIORITY = vPriority
         AND MESSTXT LIKE 'TABLESPACE ' || vSpace || ':%';
      IF vWaiting = 0 THEN
        INSERT INTO VEXO_UTIL.IMON_WARNING (MESSTYPE, WRITEDATE, PRIORITY, DELETED, MESSTXT)
        VALUES ('TS_FREESPACE', SYSDATE, vPriority, 'N', vText);
      END IF;
    END IF;
  END LOOP;
  COMMIT;
END VEXO_MONITOR;
/
