-- VEXO_UTIL.activateLARGERB: switches a rollback segment ONLINE or OFFLINE for a long batch (the main window's
-- "Large RB Online"). The caller relies only on the call succeeding or failing. A database with automatic undo
-- management refuses the statement, and the tool then reports that the segment could not be switched.

CONNECT VEXO_UTIL/VEXO_UTIL

CREATE OR REPLACE PROCEDURE VEXO_UTIL.activateLARGERB(pSegment IN VARCHAR2, pState IN VARCHAR2) IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V05.01';
  vState VARCHAR2(10) := UPPER(TRIM(pState));
BEGIN
  IF vState IS NULL OR vState NOT IN ('ONLINE', 'OFFLINE') THEN
    RAISE_APPLICATION_ERROR(-20111, 'The state of a rollback segment is ONLINE or OFFLINE, not ' || pState);
  END IF;
  -- The name goes into a statement: only a plain name is taken.
  IF TRIM(pSegment) IS NULL
     OR TRANSLATE(UPPER(TRIM(pSegment)), '*ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_$#', '*') IS NOT NULL THEN
    RAISE_APPLICATION_ERROR(-20112, 'Invalid rollback segment name: ' || pSegment);
  END IF;
  EXECUTE IMMEDIATE 'ALTER ROLLBACK SEGMENT ' || UPPER(TRIM(pSegment)) || ' ' || vState;
END activateLARGERB;
/
