-- VEXO_UTIL.VEXO_LOCK: the lock server's log, one row per request (lock window, page "Action history").
--
-- LOCKMESS holds fields each followed by "#": the request code (Z lock, O unlock, D unlock immediate, F unlock all,
-- S check, P show, K end; alarms AI, AB, AE, AD, AS, AA), the pipe (LOCK or ALARM + connection), the user, a
-- field not shown, the type and the value of the locked object. LOCKRESP is the server's answer.

CREATE TABLE VEXO_UTIL.VEXO_LOCK (
  LOCKDATE     DATE NOT NULL,
  LOCKMESS     VARCHAR2(200) NOT NULL,
  LOCKRESP     VARCHAR2(200),
  LOCKRESPDATE DATE,
  LOCKHASH     NUMBER(12),
  LOCKUSER     VARCHAR2(30),
  LOCKSEJA     NUMBER(10),
  LOCKCONN     NUMBER(10),
  LOCKSERI     NUMBER(10)
);
CREATE INDEX VEXO_UTIL.VEXO_LOCK_DATE_I ON VEXO_UTIL.VEXO_LOCK (LOCKDATE);
COMMENT ON TABLE VEXO_UTIL.VEXO_LOCK IS 'Log of the lock server';

-- 240 requests over the last three days, the newest a few minutes ago.
INSERT INTO VEXO_UTIL.VEXO_LOCK (LOCKDATE, LOCKMESS, LOCKRESP, LOCKRESPDATE, LOCKHASH, LOCKUSER, LOCKSEJA,
  LOCKCONN, LOCKSERI)
SELECT SYSDATE - (240 - LEVEL) * 18 / 1440 - 3 / 1440,
       DECODE(MOD(LEVEL, 13), 0, 'Z', 1, 'O', 2, 'Z', 3, 'D', 4, 'O', 5, 'S', 6, 'P', 7, 'AI', 8, 'AB', 9, 'AE',
              10, 'AS', 11, 'Z', 'F')
         || '#' || CASE WHEN MOD(LEVEL, 13) BETWEEN 7 AND 10 THEN 'ALARM' ELSE 'LOCK' END
         || DECODE(MOD(LEVEL, 4), 0, '12', 1, '15', 2, '21', '33')
         || '#' || DECODE(MOD(LEVEL, 4), 0, 'MNO', 1, 'AKR', 2, 'JHO', 'TZU')
         || '#0#' || DECODE(MOD(LEVEL, 3), 0, 'ORDERS', 1, 'CUSTOMERS', 'PRODUCTS')
         || '#' || TO_CHAR(DECODE(MOD(LEVEL, 3), 0, 1000, 0) + MOD(LEVEL * 7, 40) + 1) || '#',
       CASE WHEN MOD(LEVEL, 11) = 0 THEN 'ZASEDENO#' || DECODE(MOD(LEVEL, 4), 0, '15', '12') ELSE 'OK' END,
       SYSDATE - (240 - LEVEL) * 18 / 1440 - 3 / 1440 + MOD(LEVEL * 37, 90) / 86400,
       MOD(LEVEL * 104729, 999983),
       DECODE(MOD(LEVEL, 4), 0, 'MNO', 1, 'AKR', 2, 'JHO', 'TZU'),
       DECODE(MOD(LEVEL, 4), 0, 112, 1, 115, 2, 121, 133),
       DECODE(MOD(LEVEL, 4), 0, 12, 1, 15, 2, 21, 33),
       1000 + MOD(LEVEL, 4) * 17
  FROM DUAL CONNECT BY LEVEL <= 240;
