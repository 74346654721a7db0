-- VOXA.getsequence: the next number for a key of the application, taken from VOXA's sequence named key + '_SEQ'
-- (the server-job windows log with the key 'JOB_START_LOG'). Called in SQL, inside the INSERT that uses it.
-- A key without such a sequence is refused (ORA-20141); the key is never put into a statement unchecked.

CONNECT VOXA/VOXA

CREATE OR REPLACE FUNCTION VOXA.getsequence(pKey IN VARCHAR2) RETURN NUMBER IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V02.00';
  vSequence VARCHAR2(128);
  vNext     NUMBER;
BEGIN
  BEGIN
    SELECT SEQUENCE_NAME INTO vSequence FROM ALL_SEQUENCES
     WHERE SEQUENCE_OWNER = 'VOXA' AND SEQUENCE_NAME = UPPER(TRIM(pKey)) || '_SEQ';
  EXCEPTION
    WHEN NO_DATA_FOUND THEN
      RAISE_APPLICATION_ERROR(-20141, 'getsequence: no sequence for the key ' || pKey);
  END;
  EXECUTE IMMEDIATE 'SELECT VOXA."' || vSequence || '".NEXTVAL FROM DUAL' INTO vNext;
  RETURN vNext;
END getsequence;
/

GRANT EXECUTE ON VOXA.getsequence TO VGRUPA;
