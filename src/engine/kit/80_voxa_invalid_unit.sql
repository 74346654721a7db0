-- One invalid unit, as an installation keeps one after a table it used was dropped: VOXA.P_ARCHIVE_ORDERS moves old
-- orders into VOXA.ORDERS_ARCHIVE, which no longer exists. The CREATE succeeds with a compilation warning and the
-- procedure stays INVALID, with its errors in USER_ERRORS, for the object-status window and the instance check.

CONNECT VOXA/VOXA

CREATE OR REPLACE PROCEDURE VOXA.P_ARCHIVE_ORDERS(pBefore IN DATE) IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V01.00';
BEGIN
  INSERT INTO VOXA.ORDERS_ARCHIVE SELECT * FROM VOXA.ORDERS WHERE ORDER_DATE < pBefore;
  DELETE FROM VOXA.ORDERS WHERE ORDER_DATE < pBefore;
END P_ARCHIVE_ORDERS;
/
