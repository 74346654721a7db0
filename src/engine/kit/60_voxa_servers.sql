-- The application's servers (the lock server and the audit server) run as jobs, each on a session of its own, and
-- serve requests that other sessions send them on a database pipe.
--
-- VOXA.VEXO_SERVER     one row per running server: its name and session; a row whose session is gone is stale
-- VOXA.pckVexoServer   what the servers and their clients share:
--   isRunning(name)            'D' when the server runs on a session that still exists
--   register / unregister      a server's start and end (a second server of the same name is refused)
--   request(pipe, text, wait)  sends a request and waits up to wait seconds for the answer; null when none came
--   answer(pipe, text)         the server's answer to a request
-- A request is two items on the server's pipe: the request text and the pipe its answer goes to.

CONNECT VOXA/VOXA

CREATE TABLE VOXA.VEXO_SERVER (
  SERVER_NAME VARCHAR2(30) CONSTRAINT VEXO_SERVER_PK PRIMARY KEY,
  SERVER_SID  NUMBER(10) NOT NULL,
  STARTED     DATE NOT NULL
);
COMMENT ON TABLE VOXA.VEXO_SERVER IS 'Running servers of the application';

CREATE OR REPLACE PACKAGE VOXA.pckVexoServer IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V02.03';

  FUNCTION isRunning(pServer IN VARCHAR2) RETURN VARCHAR2;
  PROCEDURE register(pServer IN VARCHAR2);
  PROCEDURE unregister(pServer IN VARCHAR2);
  FUNCTION request(pPipe IN VARCHAR2, pMessage IN VARCHAR2, pWait IN NUMBER) RETURN VARCHAR2;
  PROCEDURE answer(pPipe IN VARCHAR2, pAnswer IN VARCHAR2);
END pckVexoServer;
/

CREATE OR REPLACE PACKAGE BODY VOXA.pckVexoServer IS
  VEXO_VERSION_BODY CONSTANT VARCHAR2(10) := 'V02.03';

  FUNCTION isRunning(pServer IN VARCHAR2) RETURN VARCHAR2 IS
    vCount NUMBER;
  BEGIN
    SELECT COUNT(*) INTO vCount FROM VOXA.VEXO_SERVER s
     WHERE s.SERVER_NAME = pServer AND s.SERVER_SID IN (SELECT v.SID FROM V$SESSION v);
    IF vCount > 0 THEN
      RETURN 'D';
    END IF;
    RETURN 'N';
  END isRunning;

  PROCEDURE register(pServer IN VARCHAR2) IS
  BEGIN
    IF isRunning(pServer) = 'D' THEN
      RAISE_APPLICATION_ERROR(-20151, 'The server ' || pServer || ' runs already');
    END IF;
    DELETE FROM VOXA.VEXO_SERVER WHERE SERVER_NAME = pServer;
    INSERT INTO VOXA.VEXO_SERVER (SERVER_NAME, SERVER_SID, STARTED)
    VALUES (pServer, TO_NUMBER(SYS_CONTEXT('USERENV', 'SID')), SYSDATE);
    COMMIT;
  END register;

  PROCEDURE unregister(pServer IN VARCHAR2) IS
  BEGIN
    DELETE FROM VOXA.VEXO_SERVER WHERE SERVER_NAME = pServer;
    COMMIT;
  END unregister;

  FUNCTION request(pPipe IN VARCHAR2, pMessage IN VARCHAR2, pWait IN NUMBER) RETURN VARCHAR2 IS
    vReply  VARCHAR2(30) := 'VEXO$R' || SYS_CONTEXT('USERENV', 'SID');
    vAnswer VARCHAR2(4000);
  BEGIN
    -- An answer that came too late for an earlier request must not pass for this one's.
    DBMS_PIPE.PURGE(vReply);
    DBMS_PIPE.RESET_BUFFER;
    DBMS_PIPE.PACK_MESSAGE(pMessage);
    DBMS_PIPE.PACK_MESSAGE(vReply);
    IF DBMS_PIPE.SEND_MESSAGE(pPipe, 10) <> 0 THEN
      RETURN NULL;
    END IF;
    IF DBMS_PIPE.RECEIVE_MESSAGE(vReply, pWait) <> 0 THEN
      RETURN NULL;
    END IF;
    DBMS_PIPE.UNPACK_MESSAGE(vAnswer);
    RETURN vAnswer;
  END request;

  PROCEDURE answer(pPipe IN VARCHAR2, pAnswer IN VARCHAR2) IS
    vStatus INTEGER;
  BEGIN
    IF pPipe IS NULL THEN
      RETURN;
    END IF;
    DBMS_PIPE.RESET_BUFFER;
    DBMS_PIPE.PACK_MESSAGE(pAnswer);
    -- A client that gave up waiting does not hold the server up.
    vStatus := DBMS_PIPE.SEND_MESSAGE(pPipe, 5);
  END answer;
END pckVexoServer;
/
