-- The worksheet's tables in VEXO_UTIL: the command history, the plan table and the PL/SQL editor's templates.
--
-- VEXO_HIST        worksheet history: per user slot 0 (the number of the slot written last) and slots 1 to 100;
--                  the save block inserts (slot, text, user) in this column order
-- VEXO_PLAN_TABLE  the shared plan table of the worksheet's Explain (Oracle's plan table columns)
-- VEXO_PL_TPL      the PL/SQL editor's templates; ":?" in a text takes the word on the clipboard

CREATE TABLE VEXO_UTIL.VEXO_HIST (
  HIST_ZPST NUMBER(3) NOT NULL CONSTRAINT VEXO_HIST_ZPST_CK CHECK (HIST_ZPST BETWEEN 0 AND 100),
  HIST_UKAZ VARCHAR2(4000),
  HIST_USER VARCHAR2(30) NOT NULL,
  CONSTRAINT VEXO_HIST_PK PRIMARY KEY (HIST_USER, HIST_ZPST)
);
COMMENT ON TABLE VEXO_UTIL.VEXO_HIST IS 'Worksheet command history, 100 slots per user';

-- VOXA's history: five statements saved, slot 0 points at slot 5, the rest empty.
INSERT INTO VEXO_UTIL.VEXO_HIST (HIST_ZPST, HIST_UKAZ, HIST_USER)
SELECT LEVEL - 1,
       DECODE(LEVEL - 1, 0, '5',
              1, 'select * from voxa.customers where city = ''Ljubljana''',
              2, 'select o.order_id, o.order_date, c.name' || CHR(13) || CHR(10)
                   || '  from voxa.orders o, voxa.customers c' || CHR(13) || CHR(10)
                   || ' where c.customer_id = o.customer_id',
              3, 'select status, count(*) from voxa.orders group by status',
              4, 'select * from voxa.v_unpaid_invoices order by due_date',
              5, 'select rowid, p.* from voxa.products p where price > 100'),
       'VOXA'
  FROM DUAL CONNECT BY LEVEL <= 101;

CREATE TABLE VEXO_UTIL.VEXO_PLAN_TABLE (
  STATEMENT_ID      VARCHAR2(30),
  PLAN_ID           NUMBER,
  TIMESTAMP         DATE,
  REMARKS           VARCHAR2(4000),
  OPERATION         VARCHAR2(30),
  OPTIONS           VARCHAR2(255),
  OBJECT_NODE       VARCHAR2(128),
  OBJECT_OWNER      VARCHAR2(30),
  OBJECT_NAME       VARCHAR2(30),
  OBJECT_ALIAS      VARCHAR2(65),
  OBJECT_INSTANCE   NUMBER(38),
  OBJECT_TYPE       VARCHAR2(30),
  OPTIMIZER         VARCHAR2(255),
  SEARCH_COLUMNS    NUMBER,
  ID                NUMBER(38),
  PARENT_ID         NUMBER(38),
  DEPTH             NUMBER(38),
  POSITION          NUMBER(38),
  COST              NUMBER(38),
  CARDINALITY       NUMBER(38),
  BYTES             NUMBER(38),
  OTHER_TAG         VARCHAR2(255),
  PARTITION_START   VARCHAR2(255),
  PARTITION_STOP    VARCHAR2(255),
  PARTITION_ID      NUMBER(38),
  OTHER             LONG,
  DISTRIBUTION      VARCHAR2(30),
  CPU_COST          NUMBER(38),
  IO_COST           NUMBER(38),
  TEMP_SPACE        NUMBER(38),
  ACCESS_PREDICATES VARCHAR2(4000),
  FILTER_PREDICATES VARCHAR2(4000),
  PROJECTION        VARCHAR2(4000),
  TIME              NUMBER(38),
  QBLOCK_NAME       VARCHAR2(30)
);
COMMENT ON TABLE VEXO_UTIL.VEXO_PLAN_TABLE IS 'Plan table of the worksheet''s Explain';

CREATE TABLE VEXO_UTIL.VEXO_PL_TPL (
  TPL_SIFRA VARCHAR2(30) CONSTRAINT VEXO_PL_TPL_PK PRIMARY KEY,
  TPL_DESC  VARCHAR2(100),
  TPL_CONT  VARCHAR2(2000)
);
COMMENT ON TABLE VEXO_UTIL.VEXO_PL_TPL IS 'Templates of the PL/SQL editor';

INSERT INTO VEXO_UTIL.VEXO_PL_TPL VALUES ('CURSOR', 'Cursor loop over a table',
'FOR r IN (SELECT * FROM :?) LOOP' || CHR(13) || CHR(10) || '  NULL;' || CHR(13) || CHR(10) || 'END LOOP;');
INSERT INTO VEXO_UTIL.VEXO_PL_TPL VALUES ('EXCEPTION', 'Exception handler',
'EXCEPTION' || CHR(13) || CHR(10) || '  WHEN NO_DATA_FOUND THEN' || CHR(13) || CHR(10) || '    NULL;'
  || CHR(13) || CHR(10) || '  WHEN OTHERS THEN' || CHR(13) || CHR(10) || '    RAISE;');
INSERT INTO VEXO_UTIL.VEXO_PL_TPL VALUES ('PROCEDURE', 'Procedure with a version line',
'CREATE OR REPLACE PROCEDURE :? IS' || CHR(13) || CHR(10) || '  -- VEXO_VERSION ''V01.00''' || CHR(13) || CHR(10)
  || 'BEGIN' || CHR(13) || CHR(10) || '  NULL;' || CHR(13) || CHR(10) || 'END;');
INSERT INTO VEXO_UTIL.VEXO_PL_TPL VALUES ('SELECTINTO', 'Select one row into variables',
'SELECT :? INTO v_:? FROM dual;');
INSERT INTO VEXO_UTIL.VEXO_PL_TPL VALUES ('DBMSOUT', 'Print a line', 'DBMS_OUTPUT.PUT_LINE(:?);');
