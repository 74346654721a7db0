-- VOXA.pckAuditServer.server: the audit server, run as the job "begin voxa.pckAuditServer.server; end;". The audit
-- triggers write the audit rows themselves, in the transaction of the change; the server answers the clients'
-- requests on the pipe VEXO$AUDIT (P: 'OK' with the number of audit rows written today) and ends on the request K
-- (sent by PCKAUDITKLIENT.SHUTDOWNAUDIT). A second server is refused while one runs.

CONNECT VOXA/VOXA

CREATE OR REPLACE PACKAGE VOXA.pckAuditServer IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V04.02';

  PROCEDURE server;
END pckAuditServer;
/

CREATE OR REPLACE PACKAGE BODY VOXA.pckAuditServer IS
  VEXO_VERSION_BODY CONSTANT VARCHAR2(10) := 'V04.02';

  -- Audit rows written today in every audit table, for the status answer.
  FUNCTION rowsToday RETURN NUMBER IS
    vTotal NUMBER := 0;
    vCount NUMBER;
  BEGIN
    FOR t IN (SELECT TABLE_NAME FROM ALL_TABLES WHERE OWNER = 'VEXO_AUDIT' AND TABLE_NAME LIKE 'AUD\_%' ESCAPE '\'
               ORDER BY TABLE_NAME) LOOP
      EXECUTE IMMEDIATE 'SELECT COUNT(*) FROM VEXO_AUDIT."' || t.TABLE_NAME || '" WHERE AUD_DATE >= TRUNC(SYSDATE)'
        INTO vCount;
      vTotal := vTotal + vCount;
    END LOOP;
    RETURN vTotal;
  END rowsToday;

  PROCEDURE server IS
    vStatus  INTEGER;
    vMessage VARCHAR2(4000);
    vReply   VARCHAR2(128);
    vAnswer  VARCHAR2(4000);
    vStop    BOOLEAN := FALSE;
    vRegistered BOOLEAN := FALSE;
  BEGIN
    DBMS_PIPE.PURGE(VOXA.PCKAUDITKLIENT.cPipe);
    VOXA.pckVexoServer.register(VOXA.PCKAUDITKLIENT.cServer);
    vRegistered := TRUE;
    WHILE NOT vStop LOOP
      vStatus := DBMS_PIPE.RECEIVE_MESSAGE(VOXA.PCKAUDITKLIENT.cPipe, 60);
      IF vStatus = 0 THEN
        DBMS_PIPE.UNPACK_MESSAGE(vMessage);
        vReply := NULL;
        IF DBMS_PIPE.NEXT_ITEM_TYPE <> 0 THEN
          DBMS_PIPE.UNPACK_MESSAGE(vReply);
        END IF;
        IF SUBSTR(vMessage, 1, 2) = 'K#' THEN
          vAnswer := 'OK';
          vStop := TRUE;
        ELSIF SUBSTR(vMessage, 1, 2) = 'P#' THEN
          vAnswer := 'OK#' || rowsToday || '#';
        ELSE
          vAnswer := 'NOK#UNKNOWN REQUEST#';
        END IF;
        VOXA.pckVexoServer.answer(vReply, vAnswer);
      ELSIF vStatus <> 1 THEN
        RAISE_APPLICATION_ERROR(-20172, 'The audit server cannot read its pipe (status ' || vStatus || ')');
      END IF;
    END LOOP;
    VOXA.pckVexoServer.unregister(VOXA.PCKAUDITKLIENT.cServer);
  EXCEPTION
    WHEN OTHERS THEN
      ROLLBACK;
      IF vRegistered THEN
        VOXA.pckVexoServer.unregister(VOXA.PCKAUDITKLIENT.cServer);
      END IF;
      RAISE;
  END server;
END pckAuditServer;
/
