-- The login log of the application, VOXA.VEXO_LOG, kept by the package VOXA.pckVexoLog: one row per login of an
-- application user, read by the login-log window through pckVexoLog.getTerminate and marked logged out by
-- pckVexoLog.logOut.
--
-- LOG_TERMINATE: P logged in, O logged out normally, K logged out by force, X logged out by the system.
-- LOG_OSUSER is the Oracle user of the session; LOG_CONN and LOG_LOGINFROM are its SID and logon time.

CREATE TABLE VOXA.VEXO_LOG (
  LOG_COUNTER            NUMBER(10) CONSTRAINT VEXO_LOG_PK PRIMARY KEY,
  LOG_TERMINATE          CHAR(1) DEFAULT 'P' NOT NULL
                           CONSTRAINT VEXO_LOG_TERMINATE_CK CHECK (LOG_TERMINATE IN ('P', 'O', 'K', 'X')),
  LOG_IPLUSER            VARCHAR2(30) NOT NULL,
  LOG_OSUSER             VARCHAR2(30),
  LOG_STATION            VARCHAR2(64),
  LOG_DATEFROM           DATE NOT NULL,
  LOG_DATETO             DATE,
  LOG_TIME               NUMBER(10),
  LOG_LOGINFROM          DATE,
  LOG_MODULE             VARCHAR2(48),
  LOG_VERSION            VARCHAR2(20),
  LOG_CONN               NUMBER(10),
  LOG_BLOCK_GETS         NUMBER(15),
  LOG_BLOCK_CHANGES      NUMBER(15),
  LOG_CONSISTENT_GETS    NUMBER(15),
  LOG_CONSISTENT_CHANGES NUMBER(15),
  LOG_PHYSICAL_READS     NUMBER(15)
);
CREATE INDEX VOXA.VEXO_LOG_DATEFROM_I ON VOXA.VEXO_LOG (LOG_DATEFROM);
CREATE INDEX VOXA.VEXO_LOG_USER_I ON VOXA.VEXO_LOG (LOG_IPLUSER);
COMMENT ON TABLE VOXA.VEXO_LOG IS 'Logins and logouts of the application users';

-- Sixty logins over the last month, up to yesterday; the last four are still logged in (their sessions are gone,
-- so the window's connection check logs them out).
INSERT INTO VOXA.VEXO_LOG (LOG_COUNTER, LOG_TERMINATE, LOG_IPLUSER, LOG_OSUSER, LOG_STATION, LOG_DATEFROM,
  LOG_DATETO, LOG_TIME, LOG_LOGINFROM, LOG_MODULE, LOG_VERSION, LOG_CONN, LOG_BLOCK_GETS, LOG_BLOCK_CHANGES,
  LOG_CONSISTENT_GETS, LOG_CONSISTENT_CHANGES, LOG_PHYSICAL_READS)
SELECT LEVEL,
       CASE WHEN LEVEL > 56 THEN 'P' WHEN MOD(LEVEL, 13) = 0 THEN 'K' WHEN MOD(LEVEL, 7) = 0 THEN 'X' ELSE 'O' END,
       DECODE(MOD(LEVEL, 4), 0, 'MNO', 1, 'AKR', 2, 'JHO', 'TZU'),
       DECODE(MOD(LEVEL, 4), 0, 'MNOVAK', 1, 'AKRALJ', 2, 'JHORVAT', 'TZUPAN'),
       'PC-' || DECODE(MOD(LEVEL, 5), 0, 'PRODAJA1', 1, 'PRODAJA2', 2, 'RACUN1', 3, 'SKLAD1', 'IT1'),
       TRUNC(SYSDATE) - 31 + TRUNC(LEVEL / 2) + (7 + MOD(LEVEL, 5)) / 24,
       CASE WHEN LEVEL <= 56 THEN TRUNC(SYSDATE) - 31 + TRUNC(LEVEL / 2) + (8 + MOD(LEVEL, 5) * 2) / 24 END,
       CASE WHEN LEVEL <= 56 THEN (1 + MOD(LEVEL, 5)) * 60 END,
       TRUNC(SYSDATE) - 31 + TRUNC(LEVEL / 2) + (7 + MOD(LEVEL, 5)) / 24 - 1 / 1440,
       DECODE(MOD(LEVEL, 3), 0, 'PRODAJA', 1, 'FAKTURE', 'SKLADISCE'),
       DECODE(MOD(LEVEL, 3), 0, '7.2.1', 1, '7.2.0', '7.1.9'),
       100 + LEVEL,
       CASE WHEN LEVEL <= 56 THEN 1000 + LEVEL * 37 END,
       CASE WHEN LEVEL <= 56 THEN 200 + LEVEL * 11 END,
       CASE WHEN LEVEL <= 56 THEN 5000 + LEVEL * 113 END,
       CASE WHEN LEVEL <= 56 THEN LEVEL * 3 END,
       CASE WHEN LEVEL <= 56 THEN 50 + LEVEL * 7 END
  FROM DUAL CONNECT BY LEVEL <= 60;

CREATE SEQUENCE VOXA.VEXO_LOG_SEQ START WITH 61;
