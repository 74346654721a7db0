-- The projects table VEXO_UTIL.VEXO_PL of the projects window: a project is an ordered list of PL/SQL files;
-- the pseudo-project DIRECTORY (POSITION -1000) defines directory aliases beginning with "#", and its row #DRIVE
-- gives the text that replaces a leading "#DRIVE" in the others. Positions of 100 and more are skipped by
-- compile-all and script generation.

CREATE TABLE VEXO_UTIL.VEXO_PL (
  PROJECT      VARCHAR2(30) NOT NULL,
  TYPE         VARCHAR2(20) DEFAULT 'ALL' NOT NULL,
  POSITION     NUMBER(6) NOT NULL,
  NAME         VARCHAR2(100),
  DESCRIPTION  VARCHAR2(200),
  FILE_DIR     VARCHAR2(250),
  COMMENT_LONG LONG
);
CREATE INDEX VEXO_UTIL.VEXO_PL_PROJECT_I ON VEXO_UTIL.VEXO_PL (PROJECT, POSITION);
COMMENT ON TABLE VEXO_UTIL.VEXO_PL IS 'Projects: ordered lists of PL/SQL files';

INSERT INTO VEXO_UTIL.VEXO_PL VALUES ('DIRECTORY', 'ALL', -1000, '#DRIVE', 'Drive of the sources', 'C:', NULL);
INSERT INTO VEXO_UTIL.VEXO_PL VALUES ('DIRECTORY', 'ALL', -1000, '#SQLDIR', 'Application packages',
  '#DRIVE\QUANDREL\SQL', NULL);
INSERT INTO VEXO_UTIL.VEXO_PL VALUES ('DIRECTORY', 'ALL', -1000, '#UTILDIR', 'Utility schema',
  '#DRIVE\QUANDREL\UTIL', NULL);

INSERT INTO VEXO_UTIL.VEXO_PL VALUES ('LOCKING', 'PACKAGE', 1, 'PCKSEMAPHOR', 'Lock client', '#SQLDIR',
  'Package of the application sessions that take and release locks.');
INSERT INTO VEXO_UTIL.VEXO_PL VALUES ('LOCKING', 'PACKAGE', 2, 'PCKSEMAPHORSERVER', 'Lock server', '#SQLDIR',
  'Runs as the lock job; serves the lock pipe until it is shut down.');
INSERT INTO VEXO_UTIL.VEXO_PL VALUES ('LOCKING', 'PROCEDURE', 3, 'GETSEQUENCE', 'Numbers for the job log',
  '#SQLDIR', NULL);
INSERT INTO VEXO_UTIL.VEXO_PL VALUES ('LOCKING', 'TRIGGER', 150, 'OLD_LOCK_TRG', 'No longer compiled', '#SQLDIR',
  NULL);

INSERT INTO VEXO_UTIL.VEXO_PL VALUES ('AUDIT', 'PACKAGE', 1, 'PCKAUDITKLIENT', 'Audit client', '#SQLDIR', NULL);
INSERT INTO VEXO_UTIL.VEXO_PL VALUES ('AUDIT', 'PACKAGE', 2, 'PCKAUDITSERVER', 'Audit server', '#SQLDIR', NULL);

INSERT INTO VEXO_UTIL.VEXO_PL VALUES ('UTIL', 'PACKAGE', 1, 'PCKSTRUKTURE', 'Structure dump', '#UTILDIR', NULL);
INSERT INTO VEXO_UTIL.VEXO_PL VALUES ('UTIL', 'PROCEDURE', 2, 'VEXO_DT_COUNT', 'Table sizes', '#UTILDIR', NULL);
INSERT INTO VEXO_UTIL.VEXO_PL VALUES ('UTIL', 'PROCEDURE', 3, 'VEXO_MONITOR', 'Monitor', '#UTILDIR', NULL);
