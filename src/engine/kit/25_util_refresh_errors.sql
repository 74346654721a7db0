-- VEXO_UTIL.VEXO_ERR: errors of the table refresh's generated block when it runs without the progress pipe and
-- "Save Errors ON" is checked (one row per failed insert or delete: its kind and the key with the message; and one
-- summary row typed with the destination owner.table).

CREATE TABLE VEXO_UTIL.VEXO_ERR (
  ERROR_TYPE VARCHAR2(300) NOT NULL,
  ERROR_CONT VARCHAR2(2000),
  ERROR_DATE DATE DEFAULT SYSDATE NOT NULL,
  ERROR_USER VARCHAR2(30) DEFAULT USER NOT NULL
);
COMMENT ON TABLE VEXO_UTIL.VEXO_ERR IS 'Errors of table refreshes';

INSERT INTO VEXO_UTIL.VEXO_ERR VALUES ('UNIQUE+',
  'ORDER_ID=1004 LINE_NO=2    ORA-00001: unique constraint (VOXA.ITEMS_PK) violated', SYSDATE - 5, 'VOXA');
INSERT INTO VEXO_UTIL.VEXO_ERR VALUES ('DELETE',
  'CUSTOMER_ID=7    ORA-02292: integrity constraint (VOXA.ORDERS_CUSTOMERS_FK) violated - child record found',
  SYSDATE - 5, 'VOXA');
