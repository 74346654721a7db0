SELECT f(p_c => 9, p_a => 1), pkg.f(4, p_c => 0), owner.pkg.g(x => t.id) FROM t WHERE h(a => 1, b => 'x') = 2
/
SELECT column_value FROM TABLE(pkg.upto(4)) x JOIN t ON t.id = x.column_value
/
SELECT t.id, g.label FROM t, TABLE(pkg.gen(n => t.id, step => 2)) g WHERE ROWNUM <= 5
/
CREATE OR REPLACE FUNCTION f(p NUMBER) RETURN NUMBER DETERMINISTIC PARALLEL_ENABLE (PARTITION p BY HASH (a, b) ORDER p BY (c)) RESULT_CACHE RELIES_ON (t, s.u) IS BEGIN RETURN p; END;
/
CREATE OR REPLACE PACKAGE BODY pkg IS FUNCTION upto(n NUMBER, step NUMBER DEFAULT 1) RETURN num_list PIPELINED IS i NUMBER := 1; BEGIN WHILE i <= n LOOP PIPE ROW (i); i := i + step; END LOOP; RETURN; END; FUNCTION c(x VARCHAR2) RETURN VARCHAR2 RESULT_CACHE IS BEGIN RETURN x; END; END;
/
DECLARE l pkg.num_list := pkg.num_list(1, 2); n NUMBER; BEGIN SELECT SUM(column_value) INTO n FROM TABLE(l) t WHERE t.column_value > 1; INSERT INTO d SELECT * FROM TABLE(pkg.emps()); END;
