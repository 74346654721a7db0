-- sendtoPipe and readPipe: one text message on a database pipe, as the table refresh passes its progress from the
-- block that refreshes to the window that shows it (pipe 'REFRESH').
--
-- sendtoPipe(pipe, text)        sends the text as one message (waits up to 10 seconds for room in the pipe)
-- readPipe(pipe, wait, text)    the next message in the order sent, waiting up to wait seconds; null when none
--                               came or the message was empty. A message's leading '#' (the refresh block's mark of an error or of the
--                               final message) is taken off.
-- Both are called without an owner, through public synonyms.

CONNECT VEXO_UTIL/VEXO_UTIL

CREATE OR REPLACE PROCEDURE VEXO_UTIL.sendtoPipe(pPipe IN VARCHAR2, pMessage IN VARCHAR2) IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V02.01';
  vStatus INTEGER;
BEGIN
  DBMS_PIPE.RESET_BUFFER;
  DBMS_PIPE.PACK_MESSAGE(pMessage);
  vStatus := DBMS_PIPE.SEND_MESSAGE(pPipe, 10);
  IF vStatus <> 0 THEN
    RAISE_APPLICATION_ERROR(-20131, 'Message not sent on pipe ' || pPipe || ' (status ' || vStatus || ')');
  END IF;
END sendtoPipe;
/

CREATE OR REPLACE PROCEDURE VEXO_UTIL.readPipe(pPipe IN VARCHAR2, pWait IN NUMBER, pMessage OUT VARCHAR2) IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V02.02';
  vStatus INTEGER;
BEGIN
  pMessage := NULL;
  vStatus := DBMS_PIPE.RECEIVE_MESSAGE(pPipe, GREATEST(NVL(pWait, 0), 0));
  IF vStatus = 1 THEN
    RETURN;
  ELSIF vStatus <> 0 THEN
    RAISE_APPLICATION_ERROR(-20132, 'Message not read from pipe ' || pPipe || ' (status ' || vStatus || ')');
  END IF;
  -- An empty message (the refresh block sends one when it starts) holds no item to unpack: it reads as none.
  IF DBMS_PIPE.NEXT_ITEM_TYPE = 0 THEN
    RETURN;
  END IF;
  DBMS_PIPE.UNPACK_MESSAGE(pMessage);
  IF SUBSTR(pMessage, 1, 1) = '#' THEN
    pMessage := SUBSTR(pMessage, 2);
  END IF;
END readPipe;
/

GRANT EXECUTE ON VEXO_UTIL.sendtoPipe TO VGRUPA;
GRANT EXECUTE ON VEXO_UTIL.readPipe TO VGRUPA;

CONNECT SYSTEM/MANAGER
CREATE OR REPLACE PUBLIC SYNONYM sendtoPipe FOR VEXO_UTIL.sendtoPipe;
CREATE OR REPLACE PUBLIC SYNONYM readPipe FOR VEXO_UTIL.readPipe;
