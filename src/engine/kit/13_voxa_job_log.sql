-- The application's job log VOXA.JOB_START_LOG: the lock and audit windows write one row for every start, stop
-- and kill of their server job, with the person who acted and the reason. LOG_ID comes from VOXA.getsequence for
-- the key 'JOB_START_LOG', which takes the next value of the sequence of that name + '_SEQ'.

CREATE TABLE VOXA.JOB_START_LOG (
  LOG_ID     NUMBER(10) CONSTRAINT JOB_START_LOG_PK PRIMARY KEY,
  JOB_NAME   VARCHAR2(30) NOT NULL,
  JOB_DATE   DATE NOT NULL,
  JOB_ACTION VARCHAR2(20) NOT NULL,
  ACTOR_NAME VARCHAR2(100),
  JOB_INFO   VARCHAR2(200)
);
CREATE INDEX VOXA.JOB_START_LOG_DATE_I ON VOXA.JOB_START_LOG (JOB_NAME, JOB_DATE);
COMMENT ON TABLE VOXA.JOB_START_LOG IS 'Starts and stops of the server jobs';

INSERT INTO VOXA.JOB_START_LOG VALUES (1, 'LOCK_JOB', TRUNC(SYSDATE) - 30 + 7 / 24, 'START', 'Kralj Andrej', NULL);
INSERT INTO VOXA.JOB_START_LOG VALUES (2, 'AUDIT_JOB', TRUNC(SYSDATE) - 30 + 7.1 / 24, 'START', 'Kralj Andrej', NULL);
INSERT INTO VOXA.JOB_START_LOG
VALUES (3, 'LOCK_JOB', TRUNC(SYSDATE) - 9 + 22 / 24, 'STOP', 'Kralj Andrej', 'Nadgradnja aplikacije');
INSERT INTO VOXA.JOB_START_LOG VALUES (4, 'LOCK_JOB', TRUNC(SYSDATE) - 9 + 23 / 24, 'START', 'Kralj Andrej', NULL);
INSERT INTO VOXA.JOB_START_LOG
VALUES (5, 'AUDIT_JOB', TRUNC(SYSDATE) - 2 + 10 / 24, 'STOP JOB', 'Novak Maja', 'Server se ne odziva');
INSERT INTO VOXA.JOB_START_LOG VALUES (6, 'AUDIT_JOB', TRUNC(SYSDATE) - 2 + 10.2 / 24, 'START', 'Novak Maja', NULL);

CREATE SEQUENCE VOXA.JOB_START_LOG_SEQ START WITH 7;
