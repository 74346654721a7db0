-- The application's parameter table VOXA.PR107PAR: one row per attribute (ATTR_007), application (APP__007) and
-- optionally user (USERDEF1); rows with STAT_107 = '1' are the valid ones, the value is VAL1_107.
--
-- attribute                    read by
-- aiOrganization, aiAddress,   the organisation header of the script window, command runner and instance check
--   aiCity, aiPhone
-- aiOrganizationBPI            the organisation code in the names of unattended runs' result files
-- LogDirPath                   the server log viewer ('.' is the database's own server directory)
-- aiLockingMode, LockEnabled,  the lock window's parameter page (aiLockingMode: one row per application and user)
--   AlarmEnabled, aiLocking*
-- Auditing                     the audit window (an older row with STAT_107 = '0' is no longer valid)

CREATE TABLE VOXA.PR107PAR (
  SIFRA107 NUMBER(10) CONSTRAINT PR107PAR_PK PRIMARY KEY,
  SIFRA007 NUMBER(10) NOT NULL,
  APP__007 VARCHAR2(3) NOT NULL,
  USERDEF1 VARCHAR2(30),
  WKSID107 VARCHAR2(30),
  SIFRAX31 NUMBER(10),
  ATTR_007 VARCHAR2(40) NOT NULL,
  VAL1_107 VARCHAR2(250),
  STAT_107 CHAR(1) DEFAULT '1' NOT NULL CONSTRAINT PR107PAR_STAT_CK CHECK (STAT_107 IN ('0', '1'))
);
CREATE INDEX VOXA.PR107PAR_ATTR_I ON VOXA.PR107PAR (ATTR_007, STAT_107);
COMMENT ON TABLE VOXA.PR107PAR IS 'Parameters of the application';

INSERT INTO VOXA.PR107PAR VALUES (1, 101, 'VOX', NULL, NULL, NULL, 'aiOrganization', 'Demo Trgovina d.o.o.', '1');
INSERT INTO VOXA.PR107PAR VALUES (2, 102, 'VOX', NULL, NULL, NULL, 'aiAddress', 'Slovenska cesta 1', '1');
INSERT INTO VOXA.PR107PAR VALUES (3, 103, 'VOX', NULL, NULL, NULL, 'aiCity', '1000 Ljubljana', '1');
INSERT INTO VOXA.PR107PAR VALUES (4, 104, 'VOX', NULL, NULL, NULL, 'aiPhone', '+386 1 234 56 78', '1');
INSERT INTO VOXA.PR107PAR VALUES (5, 105, 'VOX', NULL, NULL, NULL, 'aiOrganizationBPI', 'DEMO', '1');
INSERT INTO VOXA.PR107PAR VALUES (6, 106, 'VOX', NULL, NULL, NULL, 'LogDirPath', '.', '1');
INSERT INTO VOXA.PR107PAR VALUES (7, 107, 'VOX', NULL, NULL, NULL, 'aiCurrency', 'EUR', '1');

INSERT INTO VOXA.PR107PAR VALUES (10, 110, 'VOX', NULL, NULL, NULL, 'aiLockingMode', 'LockingModeNew', '1');
INSERT INTO VOXA.PR107PAR VALUES (11, 110, 'VOX', 'MNO', NULL, NULL, 'aiLockingMode', 'LockingModeNone', '1');
INSERT INTO VOXA.PR107PAR VALUES (12, 110, 'BLD', NULL, NULL, NULL, 'aiLockingMode', 'LockingModeGuid', '1');
INSERT INTO VOXA.PR107PAR VALUES (13, 111, 'VOX', NULL, NULL, NULL, 'LockEnabled', 'TRUE', '1');
INSERT INTO VOXA.PR107PAR VALUES (14, 112, 'VOX', NULL, NULL, NULL, 'AlarmEnabled', 'TRUE', '1');
INSERT INTO VOXA.PR107PAR VALUES (15, 113, 'VOX', NULL, NULL, NULL, 'aiLockingDurationTime', '30', '1');
INSERT INTO VOXA.PR107PAR VALUES (16, 114, 'VOX', NULL, NULL, NULL, 'aiLockingCleaningPeriod', '60', '1');
INSERT INTO VOXA.PR107PAR VALUES (17, 115, 'VOX', NULL, NULL, NULL, 'aiLockingPreserveLocks', '1440', '1');

INSERT INTO VOXA.PR107PAR VALUES (20, 120, 'VOX', NULL, NULL, NULL, 'Auditing', 'FALSE', '0');
INSERT INTO VOXA.PR107PAR VALUES (21, 120, 'VOX', NULL, NULL, NULL, 'Auditing', 'TRUE', '1');

CREATE SEQUENCE VOXA.PR107PAR_SEQ START WITH 100;
