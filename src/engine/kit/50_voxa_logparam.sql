-- VOXA.pckLogParam: the application user of a session.
--
-- The tool makes an application user (a USERDEF1 code of VOXA.ISEC_USERS, or the user's name there) the session's
-- own with InitParam/initParam after logon and before it saves application parameters, reads it back with getUser,
-- and asks CanUseLargeRB ('D' yes, 'N' no) before it switches the large rollback segment. The user lives in the
-- package's state, so it is per session and gone at logoff.

CONNECT VOXA/VOXA

CREATE OR REPLACE PACKAGE VOXA.pckLogParam IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V07.02';

  -- Makes the application user given by its code or name the session's; an unknown or disabled user is refused
  -- (ORA-20101) and leaves the session without one. A null clears it.
  PROCEDURE InitParam(pUser IN VARCHAR2);
  -- The session's application user (its USERDEF1 code), null when none was set.
  FUNCTION getUser RETURN VARCHAR2;
  -- 'D' when the session may switch the large rollback segment: the application owner or an administrator.
  FUNCTION CanUseLargeRB RETURN VARCHAR2;
END pckLogParam;
/

CREATE OR REPLACE PACKAGE BODY VOXA.pckLogParam IS
  VEXO_VERSION_BODY CONSTANT VARCHAR2(10) := 'V07.02';
  gUser  VARCHAR2(30);
  gAdmin NUMBER(1) := 0;

  PROCEDURE InitParam(pUser IN VARCHAR2) IS
    vCode  VARCHAR2(30);
    vAdmin NUMBER(1);
  BEGIN
    gUser := NULL;
    gAdmin := 0;
    IF TRIM(pUser) IS NULL THEN
      RETURN;
    END IF;
    BEGIN
      SELECT USERDEF1, USERADMI INTO vCode, vAdmin
        FROM VOXA.ISEC_USERS
       WHERE (UPPER(USERDEF1) = UPPER(TRIM(pUser)) OR UPPER(USERNAME) = UPPER(TRIM(pUser)))
         AND USERENAB = 'D'
         AND ROWNUM = 1;
    EXCEPTION
      WHEN NO_DATA_FOUND THEN
        RAISE_APPLICATION_ERROR(-20101, 'Application user ' || TRIM(pUser) || ' does not exist or is disabled');
    END;
    gUser := vCode;
    gAdmin := vAdmin;
  END InitParam;

  FUNCTION getUser RETURN VARCHAR2 IS
  BEGIN
    RETURN gUser;
  END getUser;

  FUNCTION CanUseLargeRB RETURN VARCHAR2 IS
  BEGIN
    IF USER = 'VOXA' OR gAdmin = 1 THEN
      RETURN 'D';
    END IF;
    RETURN 'N';
  END CanUseLargeRB;
END pckLogParam;
/

-- Every user of an installation sets and reads its own application user.
GRANT EXECUTE ON VOXA.pckLogParam TO VGRUPA;
GRANT EXECUTE ON VOXA.pckLogParam TO ZDR;
