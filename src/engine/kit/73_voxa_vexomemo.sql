-- VOXA.pckVexoMemo.instrAllViews(owner pattern, view, text): where the text (case ignored) first occurs in the
-- query of the view or materialized view of that name whose owner matches the pattern; 0 when it does not occur
-- or there is no such view. The table-structure window lists the views whose result is above 0: the views that
-- name a table.

CONNECT VOXA/VOXA

CREATE OR REPLACE PACKAGE VOXA.pckVexoMemo IS
  VEXO_VERSION CONSTANT VARCHAR2(10) := 'V01.04';

  FUNCTION instrAllViews(pOwner IN VARCHAR2, pView IN VARCHAR2, pText IN VARCHAR2) RETURN NUMBER;
END pckVexoMemo;
/

CREATE OR REPLACE PACKAGE BODY VOXA.pckVexoMemo IS
  VEXO_VERSION_BODY CONSTANT VARCHAR2(10) := 'V01.04';

  FUNCTION instrAllViews(pOwner IN VARCHAR2, pView IN VARCHAR2, pText IN VARCHAR2) RETURN NUMBER IS
    vText  VARCHAR2(32760);
    vFound NUMBER := 0;
  BEGIN
    IF pText IS NULL THEN
      RETURN 0;
    END IF;
    FOR v IN (SELECT TEXT FROM ALL_VIEWS WHERE OWNER LIKE pOwner AND VIEW_NAME = pView) LOOP
      vText := v.TEXT;
      vFound := INSTR(UPPER(vText), UPPER(pText));
      IF vFound > 0 THEN
        RETURN vFound;
      END IF;
    END LOOP;
    FOR m IN (SELECT QUERY FROM ALL_MVIEWS WHERE OWNER LIKE pOwner AND MVIEW_NAME = pView) LOOP
      vText := m.QUERY;
      vFound := INSTR(UPPER(vText), UPPER(pText));
      IF vFound > 0 THEN
        RETURN vFound;
      END IF;
    END LOOP;
    RETURN 0;
  END instrAllViews;
END pckVexoMemo;
/

GRANT EXECUTE ON VOXA.pckVexoMemo TO VGRUPA;
