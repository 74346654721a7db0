-- VOXA.PCKAUDITKLIENT: what a session knows about auditing, and the audit server's client.
--
-- setAuditUser(user)  the user the session's changes are audited under (the audit window sets the logon user in
--                     the several-installations mode); getAuditUser falls back on the application user, then on
--                     the Oracle user
-- isAuditing          'D' while the valid 'Auditing' parameter of VOXA.PR107PAR is TRUE: the audit triggers
--                     record nothing otherwise
-- serverStatus        'OK' from a running audit server, 'NOSERVER' when none runs
-- SHUTDOWNAUDIT       asks the audit server to stop and waits for its answer (nothing to do when none runs)

CONNECT VOXA/VOXA

CREATE OR REPLACE PACKAGE VOXA.PCKAUDITKLIENT IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V04.02';
  cServer CONSTANT VARCHAR2(30) := 'AUDIT';
  cPipe   CONSTANT VARCHAR2(30) := 'VEXO$AUDIT';

  PROCEDURE setAuditUser(pUser IN VARCHAR2);
  FUNCTION getAuditUser RETURN VARCHAR2;
  FUNCTION isAuditing RETURN VARCHAR2;
  FUNCTION serverStatus RETURN VARCHAR2;
  PROCEDURE SHUTDOWNAUDIT;
END PCKAUDITKLIENT;
/

CREATE OR REPLACE PACKAGE BODY VOXA.PCKAUDITKLIENT IS
  VEXO_VERSION_BODY CONSTANT VARCHAR2(10) := 'V04.02';
  gAuditUser VARCHAR2(30);

  PROCEDURE setAuditUser(pUser IN VARCHAR2) IS
  BEGIN
    gAuditUser := SUBSTR(UPPER(TRIM(pUser)), 1, 30);
  END setAuditUser;

  FUNCTION getAuditUser RETURN VARCHAR2 IS
  BEGIN
    RETURN NVL(gAuditUser, NVL(VOXA.pckLogParam.getUser, USER));
  END getAuditUser;

  FUNCTION isAuditing RETURN VARCHAR2 IS
    vCount NUMBER;
  BEGIN
    SELECT COUNT(*) INTO vCount FROM VOXA.PR107PAR
     WHERE ATTR_007 = 'Auditing' AND STAT_107 = '1' AND UPPER(TRIM(VAL1_107)) = 'TRUE';
    IF vCount > 0 THEN
      RETURN 'D';
    END IF;
    RETURN 'N';
  END isAuditing;

  FUNCTION ask(pCode IN VARCHAR2) RETURN VARCHAR2 IS
    vAnswer VARCHAR2(4000);
  BEGIN
    IF VOXA.pckVexoServer.isRunning(cServer) <> 'D' THEN
      RETURN 'NOSERVER';
    END IF;
    vAnswer := VOXA.pckVexoServer.request(cPipe, pCode || '#' || getAuditUser || '#', 30);
    IF vAnswer IS NULL THEN
      RAISE_APPLICATION_ERROR(-20171, 'The audit server did not answer');
    END IF;
    RETURN vAnswer;
  END ask;

  FUNCTION serverStatus RETURN VARCHAR2 IS
  BEGIN
    RETURN ask('P');
  END serverStatus;

  PROCEDURE SHUTDOWNAUDIT IS
    vAnswer VARCHAR2(4000);
  BEGIN
    vAnswer := ask('K');
  END SHUTDOWNAUDIT;
END PCKAUDITKLIENT;
/

GRANT EXECUTE ON VOXA.PCKAUDITKLIENT TO ZDR;
GRANT EXECUTE ON VOXA.PCKAUDITKLIENT TO VGRUPA;
