-- VOXA.pckSemaphor: the lock server's client. The application locks a record by its type and value (a table name
-- and a key) for its connection; the lock server keeps the locks in VOXA.VEXOSEMAPHOR and the alarm registrations
-- in VOXA.VEXO_ALM and logs every request in VEXO_UTIL.VEXO_LOCK.
--
-- A request is a text of fields each followed by '#': the code (Z lock, O unlock, D unlock immediate, F unlock all
-- of a connection, S check, P show, K end; AI, AB, AE, AD, AS, AA for alarms), the pipe 'LOCK' or 'ALARM' + the
-- connection, the application user, the session, the type and the value. The connection is the session's SID.
--
-- zakleni / odkleni    lock and unlock: 'OK'; 'LOCKED#' + holder + '#' when another connection holds the lock;
--                      'NOSERVER' when no lock server runs
-- showAllSemaphor      has the server bring VEXOSEMAPHOR up to date (the lock window calls it before it counts)
-- notifyShow           the same for VEXO_ALM
-- CLOSEALLCONN(conn)   removes every lock and alarm of a connection: 'OK', or why not; without a running server
--                      the rows are removed in the caller's transaction
-- ShutdownSemaphor     asks the server to stop and waits for its answer (nothing to do when none runs)

CONNECT VOXA/VOXA

CREATE OR REPLACE PACKAGE VOXA.pckSemaphor IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V08.11';
  cServer CONSTANT VARCHAR2(30) := 'SEMAPHOR';
  cPipe   CONSTANT VARCHAR2(30) := 'VEXO$SEMAPHOR';

  FUNCTION zakleni(pTip IN VARCHAR2, pVred IN VARCHAR2) RETURN VARCHAR2;
  FUNCTION odkleni(pTip IN VARCHAR2, pVred IN VARCHAR2) RETURN VARCHAR2;
  PROCEDURE showAllSemaphor;
  PROCEDURE notifyShow;
  PROCEDURE CLOSEALLCONN(pConn IN VARCHAR2, pRet OUT VARCHAR2);
  PROCEDURE ShutdownSemaphor;
END pckSemaphor;
/

CREATE OR REPLACE PACKAGE BODY VOXA.pckSemaphor IS
  VEXO_VERSION_BODY CONSTANT VARCHAR2(10) := 'V08.11';

  FUNCTION message(pCode IN VARCHAR2, pTip IN VARCHAR2, pVred IN VARCHAR2) RETURN VARCHAR2 IS
    vSid VARCHAR2(20) := SYS_CONTEXT('USERENV', 'SID');
  BEGIN
    RETURN pCode || '#LOCK' || vSid || '#' || NVL(VOXA.pckLogParam.getUser, USER) || '#' || vSid || '#'
           || pTip || '#' || pVred || '#';
  END message;

  FUNCTION ask(pCode IN VARCHAR2, pTip IN VARCHAR2, pVred IN VARCHAR2) RETURN VARCHAR2 IS
    vAnswer VARCHAR2(4000);
  BEGIN
    IF VOXA.pckVexoServer.isRunning(cServer) <> 'D' THEN
      RETURN 'NOSERVER';
    END IF;
    vAnswer := VOXA.pckVexoServer.request(cPipe, message(pCode, pTip, pVred), 30);
    IF vAnswer IS NULL THEN
      RAISE_APPLICATION_ERROR(-20161, 'The lock server did not answer');
    END IF;
    RETURN vAnswer;
  END ask;

  FUNCTION zakleni(pTip IN VARCHAR2, pVred IN VARCHAR2) RETURN VARCHAR2 IS
  BEGIN
    RETURN ask('Z', pTip, pVred);
  END zakleni;

  FUNCTION odkleni(pTip IN VARCHAR2, pVred IN VARCHAR2) RETURN VARCHAR2 IS
  BEGIN
    RETURN ask('O', pTip, pVred);
  END odkleni;

  PROCEDURE showAllSemaphor IS
    vAnswer VARCHAR2(4000);
  BEGIN
    vAnswer := ask('P', NULL, NULL);
  END showAllSemaphor;

  PROCEDURE notifyShow IS
    vAnswer VARCHAR2(4000);
  BEGIN
    vAnswer := ask('AS', NULL, NULL);
  END notifyShow;

  PROCEDURE CLOSEALLCONN(pConn IN VARCHAR2, pRet OUT VARCHAR2) IS
    vConn NUMBER;
  BEGIN
    BEGIN
      vConn := TO_NUMBER(TRIM(pConn));
    EXCEPTION
      WHEN VALUE_ERROR OR INVALID_NUMBER THEN
        vConn := NULL;
    END;
    IF vConn IS NULL THEN
      pRet := 'INVALID CONNECTION ' || pConn;
      RETURN;
    END IF;
    IF VOXA.pckVexoServer.isRunning(cServer) = 'D' THEN
      pRet := NVL(VOXA.pckVexoServer.request(cPipe, 'F#LOCK' || vConn || '#' || NVL(VOXA.pckLogParam.getUser, USER)
                                             || '#' || SYS_CONTEXT('USERENV', 'SID') || '###', 30),
                  'THE LOCK SERVER DID NOT ANSWER');
      RETURN;
    END IF;
    DELETE FROM VOXA.VEXOSEMAPHOR WHERE CONN_SEM = vConn;
    DELETE FROM VOXA.VEXO_ALM WHERE PIPENAME = 'ALARM' || vConn;
    pRet := 'OK';
  END CLOSEALLCONN;

  PROCEDURE ShutdownSemaphor IS
    vAnswer VARCHAR2(4000);
  BEGIN
    vAnswer := ask('K', NULL, NULL);
  END ShutdownSemaphor;
END pckSemaphor;
/

GRANT EXECUTE ON VOXA.pckSemaphor TO ZDR;
