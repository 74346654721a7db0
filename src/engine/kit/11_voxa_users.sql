-- The application's user table VOXA.ISEC_USERS.
--
-- Read by the logon dialog (administrator check: USERADMI of the logon user; users outside the schema owners are
-- admitted only with USERADMI = 1), by the lock and audit windows before a parameter is saved (USERDEF1 becomes
-- the session's application user), and by the installations window ("Prepiši iz ISEC_USERS").
--
-- USERDEF1 is the application user's three-letter code; USERADMI is 1 for an administrator, else 0;
-- USERENAB is D (enabled) or N.

CREATE TABLE VOXA.ISEC_USERS (
  USER__ID NUMBER(10) CONSTRAINT ISEC_USERS_PK PRIMARY KEY,
  USERNAME VARCHAR2(30) NOT NULL CONSTRAINT ISEC_USERS_USERNAME_UK UNIQUE,
  USERPSWD VARCHAR2(30),
  USERDEF1 VARCHAR2(30) NOT NULL,
  USERDEF2 VARCHAR2(30),
  USERLACC DATE,
  USERACCC NUMBER(10) DEFAULT 0,
  USERENAB CHAR(1) DEFAULT 'D' NOT NULL CONSTRAINT ISEC_USERS_USERENAB_CK CHECK (USERENAB IN ('D', 'N')),
  USERADMI NUMBER(1) DEFAULT 0 NOT NULL CONSTRAINT ISEC_USERS_USERADMI_CK CHECK (USERADMI IN (0, 1))
);
COMMENT ON TABLE VOXA.ISEC_USERS IS 'Users of the application';
COMMENT ON COLUMN VOXA.ISEC_USERS.USERADMI IS '1 = administrator of the application';

INSERT INTO VOXA.ISEC_USERS VALUES (1, 'VOXA', NULL, 'VOX', 'Sistem', SYSDATE - 1, 812, 'D', 1);
INSERT INTO VOXA.ISEC_USERS VALUES (2, 'AKRALJ', NULL, 'AKR', 'Informatika', SYSDATE - 2, 355, 'D', 1);
INSERT INTO VOXA.ISEC_USERS VALUES (3, 'MNOVAK', NULL, 'MNO', 'Prodaja', SYSDATE - 1, 1204, 'D', 0);
INSERT INTO VOXA.ISEC_USERS VALUES (4, 'JHORVAT', NULL, 'JHO', 'Prodaja', SYSDATE - 12, 97, 'D', 0);
INSERT INTO VOXA.ISEC_USERS VALUES (5, 'PKOS', NULL, 'PKO', 'Računovodstvo', SYSDATE - 200, 41, 'N', 0);
INSERT INTO VOXA.ISEC_USERS VALUES (6, 'TZUPAN', NULL, 'TZU', 'Skladišče', SYSDATE - 5, 260, 'D', 0);
