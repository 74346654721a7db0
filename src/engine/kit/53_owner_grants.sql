-- dodeliPravice of each schema owner: the grant window hands every GRANT or REVOKE on another owner's objects to
-- that owner's procedure, which runs it with the owner's rights and raises the statement's error when it fails.
-- Only GRANT and REVOKE statements are run: the procedure acts with all of its owner's rights, and nothing else is
-- ever sent to it. Nobody is granted EXECUTE on it; the tool's user calls it through EXECUTE ANY PROCEDURE.

CONNECT VOXA/VOXA
CREATE OR REPLACE PROCEDURE VOXA.dodeliPravice(pStatement IN VARCHAR2) IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V03.00';
  vWord VARCHAR2(10) := UPPER(SUBSTR(LTRIM(pStatement), 1, 7));
BEGIN
  IF NOT (vWord LIKE 'GRANT %' OR vWord = 'REVOKE ') THEN
    RAISE_APPLICATION_ERROR(-20121, 'dodeliPravice runs only GRANT and REVOKE statements');
  END IF;
  EXECUTE IMMEDIATE pStatement;
END dodeliPravice;
/

CONNECT BILDOR/BILDOR
CREATE OR REPLACE PROCEDURE BILDOR.dodeliPravice(pStatement IN VARCHAR2) IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V03.00';
  vWord VARCHAR2(10) := UPPER(SUBSTR(LTRIM(pStatement), 1, 7));
BEGIN
  IF NOT (vWord LIKE 'GRANT %' OR vWord = 'REVOKE ') THEN
    RAISE_APPLICATION_ERROR(-20121, 'dodeliPravice runs only GRANT and REVOKE statements');
  END IF;
  EXECUTE IMMEDIATE pStatement;
END dodeliPravice;
/

CONNECT VEXO_UTIL/VEXO_UTIL
CREATE OR REPLACE PROCEDURE VEXO_UTIL.dodeliPravice(pStatement IN VARCHAR2) IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V03.00';
  vWord VARCHAR2(10) := UPPER(SUBSTR(LTRIM(pStatement), 1, 7));
BEGIN
  IF NOT (vWord LIKE 'GRANT %' OR vWord = 'REVOKE ') THEN
    RAISE_APPLICATION_ERROR(-20121, 'dodeliPravice runs only GRANT and REVOKE statements');
  END IF;
  EXECUTE IMMEDIATE pStatement;
END dodeliPravice;
/

CONNECT VEXO_AUDIT/VEXO_AUDIT
CREATE OR REPLACE PROCEDURE VEXO_AUDIT.dodeliPravice(pStatement IN VARCHAR2) IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V03.00';
  vWord VARCHAR2(10) := UPPER(SUBSTR(LTRIM(pStatement), 1, 7));
BEGIN
  IF NOT (vWord LIKE 'GRANT %' OR vWord = 'REVOKE ') THEN
    RAISE_APPLICATION_ERROR(-20121, 'dodeliPravice runs only GRANT and REVOKE statements');
  END IF;
  EXECUTE IMMEDIATE pStatement;
END dodeliPravice;
/

CONNECT BLOB/BLOB
CREATE OR REPLACE PROCEDURE BLOB.dodeliPravice(pStatement IN VARCHAR2) IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V03.00';
  vWord VARCHAR2(10) := UPPER(SUBSTR(LTRIM(pStatement), 1, 7));
BEGIN
  IF NOT (vWord LIKE 'GRANT %' OR vWord = 'REVOKE ') THEN
    RAISE_APPLICATION_ERROR(-20121, 'dodeliPravice runs only GRANT and REVOKE statements');
  END IF;
  EXECUTE IMMEDIATE pStatement;
END dodeliPravice;
/
