-- VOXA.pckSemaphorServer.server: the lock server, run as the job "begin voxa.pckSemaphorServer.server; end;".
-- It serves the requests of pckSemaphor on the pipe VEXO$SEMAPHOR one at a time, keeps VEXOSEMAPHOR and VEXO_ALM,
-- logs each request with its answer in VEXO_UTIL.VEXO_LOCK, commits after each, and ends on the request K (sent by
-- pckSemaphor.ShutdownSemaphor). A second server is refused while one runs.

CONNECT VEXO_UTIL/VEXO_UTIL
GRANT INSERT ON VEXO_UTIL.VEXO_LOCK TO VOXA;

CONNECT VOXA/VOXA

CREATE OR REPLACE PACKAGE VOXA.pckSemaphorServer IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V08.11';

  PROCEDURE server;
END pckSemaphorServer;
/

CREATE OR REPLACE PACKAGE BODY VOXA.pckSemaphorServer IS
  VEXO_VERSION_BODY CONSTANT VARCHAR2(10) := 'V08.11';

  -- The n-th field of a request (fields end with '#').
  FUNCTION field(pMessage IN VARCHAR2, pN IN PLS_INTEGER) RETURN VARCHAR2 IS
    vFrom PLS_INTEGER := 1;
    vTo   PLS_INTEGER;
  BEGIN
    IF pN > 1 THEN
      vFrom := INSTR(pMessage, '#', 1, pN - 1) + 1;
      IF vFrom = 1 THEN
        RETURN NULL;
      END IF;
    END IF;
    vTo := INSTR(pMessage, '#', vFrom);
    IF vTo = 0 THEN
      RETURN SUBSTR(pMessage, vFrom);
    END IF;
    RETURN SUBSTR(pMessage, vFrom, vTo - vFrom);
  END field;

  -- A number of a request, null when the field holds none.
  FUNCTION num(pText IN VARCHAR2) RETURN NUMBER IS
  BEGIN
    RETURN TO_NUMBER(pText);
  EXCEPTION
    WHEN VALUE_ERROR OR INVALID_NUMBER THEN
      RETURN NULL;
  END num;

  -- The connection of a request: the number after LOCK or ALARM in its pipe field.
  FUNCTION connection(pPipe IN VARCHAR2) RETURN NUMBER IS
  BEGIN
    IF pPipe LIKE 'ALARM%' THEN
      RETURN num(SUBSTR(pPipe, 6));
    END IF;
    RETURN num(SUBSTR(pPipe, 5));
  END connection;

  PROCEDURE handle(pMessage IN VARCHAR2, pAnswer OUT VARCHAR2, pStop OUT BOOLEAN) IS
    vCode    VARCHAR2(10) := field(pMessage, 1);
    vUser    VARCHAR2(30) := field(pMessage, 3);
    vSession NUMBER := num(field(pMessage, 4));
    vTip     VARCHAR2(30) := field(pMessage, 5);
    vVred    VARCHAR2(100) := field(pMessage, 6);
    vConn    NUMBER := connection(field(pMessage, 2));
    vHolder  NUMBER;
    vHolderUser VARCHAR2(30);
    vStatus  INTEGER;
  BEGIN
    pStop := FALSE;
    pAnswer := 'OK';
    IF vConn IS NULL AND vCode NOT IN ('P', 'K', 'AS', 'AE', 'AD') THEN
      pAnswer := 'NOK#NO CONNECTION#';
      RETURN;
    END IF;
    IF vCode = 'Z' THEN
      BEGIN
        SELECT CONN_SEM, USER_SEM INTO vHolder, vHolderUser FROM VOXA.VEXOSEMAPHOR
         WHERE TIP__SEM = vTip AND VRED_SEM = vVred;
        IF vHolder <> vConn THEN
          UPDATE VOXA.VEXOSEMAPHOR SET UUSERSEM = vUser, UDATUSEM = SYSDATE
           WHERE TIP__SEM = vTip AND VRED_SEM = vVred;
          pAnswer := 'LOCKED#' || vHolderUser || '#';
        END IF;
      EXCEPTION
        WHEN NO_DATA_FOUND THEN
          INSERT INTO VOXA.VEXOSEMAPHOR (CONN_SEM, USER_SEM, SEJA_SEM, DATUMSEM, TIP__SEM, VRED_SEM)
          VALUES (vConn, vUser, vSession, SYSDATE, vTip, vVred);
      END;
    ELSIF vCode = 'O' THEN
      DELETE FROM VOXA.VEXOSEMAPHOR WHERE TIP__SEM = vTip AND VRED_SEM = vVred AND CONN_SEM = vConn;
      IF SQL%ROWCOUNT = 0 THEN
        pAnswer := 'NOK';
      END IF;
    ELSIF vCode = 'D' THEN
      DELETE FROM VOXA.VEXOSEMAPHOR WHERE TIP__SEM = vTip AND VRED_SEM = vVred;
    ELSIF vCode = 'F' THEN
      DELETE FROM VOXA.VEXOSEMAPHOR WHERE CONN_SEM = vConn;
      DELETE FROM VOXA.VEXO_ALM WHERE PIPENAME = 'ALARM' || vConn;
    ELSIF vCode = 'S' THEN
      BEGIN
        SELECT USER_SEM INTO vHolderUser FROM VOXA.VEXOSEMAPHOR WHERE TIP__SEM = vTip AND VRED_SEM = vVred;
        pAnswer := 'LOCKED#' || vHolderUser || '#';
      EXCEPTION
        WHEN NO_DATA_FOUND THEN
          pAnswer := 'FREE';
      END;
    ELSIF vCode = 'K' THEN
      pStop := TRUE;
    ELSIF vCode = 'AI' THEN
      BEGIN
        INSERT INTO VOXA.VEXO_ALM (PIPENAME, TIP__ALM, VRED_ALM) VALUES ('ALARM' || vConn, vTip, vVred);
      EXCEPTION
        WHEN DUP_VAL_ON_INDEX THEN
          NULL;
      END;
    ELSIF vCode = 'AB' THEN
      DELETE FROM VOXA.VEXO_ALM WHERE PIPENAME = 'ALARM' || vConn AND TIP__ALM = vTip AND VRED_ALM = vVred;
    ELSIF vCode = 'AA' THEN
      FOR a IN (SELECT PIPENAME FROM VOXA.VEXO_ALM WHERE TIP__ALM = vTip AND VRED_ALM = vVred) LOOP
        DBMS_PIPE.RESET_BUFFER;
        DBMS_PIPE.PACK_MESSAGE(pMessage);
        vStatus := DBMS_PIPE.SEND_MESSAGE(a.PIPENAME, 0);
      END LOOP;
    ELSIF vCode NOT IN ('P', 'AS', 'AE', 'AD') THEN
      pAnswer := 'NOK#UNKNOWN REQUEST#';
    END IF;
  END handle;

  PROCEDURE server IS
    vStatus  INTEGER;
    vMessage VARCHAR2(4000);
    vReply   VARCHAR2(128);
    vAnswer  VARCHAR2(4000);
    vStop    BOOLEAN := FALSE;
    vStart   DATE;
    vUser    VARCHAR2(30);
    vSession NUMBER;
    vConn    NUMBER;
    vRegistered BOOLEAN := FALSE;
  BEGIN
    -- Requests left from before the start were given up by their senders.
    DBMS_PIPE.PURGE(VOXA.pckSemaphor.cPipe);
    VOXA.pckVexoServer.register(VOXA.pckSemaphor.cServer);
    vRegistered := TRUE;
    WHILE NOT vStop LOOP
      vStatus := DBMS_PIPE.RECEIVE_MESSAGE(VOXA.pckSemaphor.cPipe, 60);
      IF vStatus = 0 THEN
        vStart := SYSDATE;
        DBMS_PIPE.UNPACK_MESSAGE(vMessage);
        vReply := NULL;
        IF DBMS_PIPE.NEXT_ITEM_TYPE <> 0 THEN
          DBMS_PIPE.UNPACK_MESSAGE(vReply);
        END IF;
        BEGIN
          handle(vMessage, vAnswer, vStop);
        EXCEPTION
          WHEN OTHERS THEN
            ROLLBACK;
            vAnswer := 'NOK#' || SUBSTR(SQLERRM, 1, 150) || '#';
        END;
        -- The body's own functions cannot be called inside SQL: the log's values are taken first.
        vUser := SUBSTR(field(vMessage, 3), 1, 30);
        vSession := num(field(vMessage, 4));
        vConn := connection(field(vMessage, 2));
        INSERT INTO VEXO_UTIL.VEXO_LOCK (LOCKDATE, LOCKMESS, LOCKRESP, LOCKRESPDATE, LOCKUSER, LOCKSEJA, LOCKCONN)
        VALUES (vStart, SUBSTR(vMessage, 1, 200), SUBSTR(vAnswer, 1, 200), SYSDATE, vUser, vSession, vConn);
        COMMIT;
        VOXA.pckVexoServer.answer(vReply, vAnswer);
      ELSIF vStatus <> 1 THEN
        RAISE_APPLICATION_ERROR(-20162, 'The lock server cannot read its pipe (status ' || vStatus || ')');
      END IF;
    END LOOP;
    VOXA.pckVexoServer.unregister(VOXA.pckSemaphor.cServer);
  EXCEPTION
    WHEN OTHERS THEN
      ROLLBACK;
      IF vRegistered THEN
        VOXA.pckVexoServer.unregister(VOXA.pckSemaphor.cServer);
      END IF;
      RAISE;
  END server;
END pckSemaphorServer;
/
