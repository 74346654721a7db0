-- VOXA.pckVexoLog: the login log VOXA.VEXO_LOG as the tool reads and changes it.
--
-- USERISVALID  'D' when an application user of that code exists and is enabled, else 'N' (the logon dialog
--              selects it beside USERADMI, as the user who logs on)
-- getTerminate a cursor over the log for the login-log window: status (P, O, K, X, A all, ? users without a login
--              since the date), the date, user, station and module patterns ('ALL' for any), notEQ 'D' for every
--              status but the one given, and the order (UPORABNIK, POSTAJA, DATUMOD, DATUMDO, MODUL)
-- logOut       marks a logged-in entry logged out with the status given; 'OK', or 'NOK' when there is no such
--              entry still logged in

CONNECT VOXA/VOXA

CREATE OR REPLACE PACKAGE VOXA.pckVexoLog IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V07.01';

  FUNCTION USERISVALID(pUserDef1 IN VARCHAR2) RETURN VARCHAR2;
  PROCEDURE getTerminate(pTerminate IN VARCHAR2, pDateFrom IN VARCHAR2, pUserIpl IN VARCHAR2, pPostaja IN VARCHAR2,
                         pModul IN VARCHAR2, pNotEQ IN VARCHAR2, pOrd IN VARCHAR2, pCurs OUT SYS_REFCURSOR);
  FUNCTION logOut(pCounter IN NUMBER, pStatus IN VARCHAR2) RETURN VARCHAR2;
END pckVexoLog;
/

CREATE OR REPLACE PACKAGE BODY VOXA.pckVexoLog IS
  VEXO_VERSION_BODY CONSTANT VARCHAR2(10) := 'V07.01';

  FUNCTION USERISVALID(pUserDef1 IN VARCHAR2) RETURN VARCHAR2 IS
    vCount NUMBER;
  BEGIN
    SELECT COUNT(*) INTO vCount FROM VOXA.ISEC_USERS WHERE USERDEF1 = pUserDef1 AND USERENAB = 'D';
    IF vCount > 0 THEN
      RETURN 'D';
    END IF;
    RETURN 'N';
  END USERISVALID;

  -- The window sends the date as the user's short date; day.month.year is the application's own form.
  FUNCTION toDate(pText IN VARCHAR2) RETURN DATE IS
  BEGIN
    IF TRIM(pText) IS NULL THEN
      RETURN TRUNC(SYSDATE);
    END IF;
    BEGIN
      RETURN TO_DATE(TRIM(pText), 'DD.MM.YYYY');
    EXCEPTION
      WHEN OTHERS THEN
        RETURN TO_DATE(TRIM(pText));
    END;
  END toDate;

  PROCEDURE getTerminate(pTerminate IN VARCHAR2, pDateFrom IN VARCHAR2, pUserIpl IN VARCHAR2, pPostaja IN VARCHAR2,
                         pModul IN VARCHAR2, pNotEQ IN VARCHAR2, pOrd IN VARCHAR2, pCurs OUT SYS_REFCURSOR) IS
    vFrom     DATE := toDate(pDateFrom);
    vStatus   VARCHAR2(1) := NVL(UPPER(TRIM(pTerminate)), 'A');
    vNot      VARCHAR2(1) := NVL(UPPER(TRIM(pNotEQ)), 'N');
    vUser     VARCHAR2(100) := NVL(UPPER(pUserIpl), 'ALL');
    vStation  VARCHAR2(100) := NVL(UPPER(pPostaja), 'ALL');
    vModule   VARCHAR2(100) := NVL(UPPER(pModul), 'ALL');
    vOrd      VARCHAR2(20) := NVL(UPPER(TRIM(pOrd)), 'UPORABNIK');
  BEGIN
    OPEN pCurs FOR
      SELECT l.LOG_TERMINATE log_terminate, l.LOG_IPLUSER log_iplUser, l.LOG_OSUSER log_osUser,
             l.LOG_STATION log_Station, l.LOG_DATEFROM log_dateFrom, l.LOG_DATETO log_dateTo, l.LOG_TIME log_time,
             TO_CHAR(l.LOG_LOGINFROM, 'DD.MM.YYYY HH24:MI:SS') log_loginfrom, l.LOG_MODULE log_module,
             l.LOG_VERSION log_version, l.LOG_CONN log_conn, l.LOG_COUNTER log_counter,
             l.LOG_BLOCK_GETS log_block_gets, l.LOG_BLOCK_CHANGES log_block_changes,
             l.LOG_CONSISTENT_GETS log_consistent_gets, l.LOG_CONSISTENT_CHANGES log_consistent_changes,
             l.LOG_PHYSICAL_READS log_physical_reads
        FROM VOXA.VEXO_LOG l
       WHERE (vUser = 'ALL' OR UPPER(l.LOG_IPLUSER) LIKE vUser)
         AND (vStation = 'ALL' OR UPPER(l.LOG_STATION) LIKE vStation)
         AND (vModule = 'ALL' OR UPPER(l.LOG_MODULE) LIKE vModule)
         AND ((vStatus = '?'
               AND l.LOG_IPLUSER IN (SELECT g.LOG_IPLUSER FROM VOXA.VEXO_LOG g
                                      GROUP BY g.LOG_IPLUSER HAVING MAX(g.LOG_DATEFROM) < vFrom))
           OR (vStatus <> '?' AND l.LOG_DATEFROM >= vFrom
               AND (vStatus = 'A'
                 OR (vNot <> 'D' AND l.LOG_TERMINATE = vStatus)
                 OR (vNot = 'D' AND l.LOG_TERMINATE <> vStatus))))
       ORDER BY CASE WHEN vOrd = 'UPORABNIK' THEN l.LOG_IPLUSER END,
                CASE WHEN vOrd = 'POSTAJA' THEN l.LOG_STATION END,
                CASE WHEN vOrd = 'MODUL' THEN l.LOG_MODULE END,
                CASE WHEN vOrd = 'DATUMDO' THEN l.LOG_DATETO END,
                l.LOG_DATEFROM, l.LOG_COUNTER;
  END getTerminate;

  FUNCTION logOut(pCounter IN NUMBER, pStatus IN VARCHAR2) RETURN VARCHAR2 IS
  BEGIN
    IF pStatus IS NULL OR pStatus NOT IN ('O', 'K', 'X') THEN
      RETURN 'NOK';
    END IF;
    UPDATE VOXA.VEXO_LOG
       SET LOG_TERMINATE = pStatus,
           LOG_DATETO = SYSDATE,
           LOG_TIME = ROUND((SYSDATE - LOG_DATEFROM) * 1440)
     WHERE LOG_COUNTER = pCounter AND LOG_TERMINATE = 'P';
    IF SQL%ROWCOUNT = 0 THEN
      RETURN 'NOK';
    END IF;
    RETURN 'OK';
  END logOut;
END pckVexoLog;
/

-- The logon dialog calls USERISVALID as the user who logs on.
GRANT EXECUTE ON VOXA.pckVexoLog TO ZDR;
GRANT EXECUTE ON VOXA.pckVexoLog TO VGRUPA;
