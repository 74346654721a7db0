CREATE TYPE fz_nums AS TABLE OF NUMBER;
/
CREATE OR REPLACE TYPE fz_names FORCE IS VARRAY(10) OF VARCHAR2(30 CHAR);
/
CREATE TYPE fz_amounts AS VARYING ARRAY (5) OF NUMBER(10,2)
/
SELECT type_name, coll_type, upper_bound, elem_type_name, length, precision, scale FROM user_coll_types
/
SELECT type_name, typecode FROM all_types
/
GRANT EXECUTE ON fz_names TO PUBLIC
/
DROP TYPE fz_amounts FORCE
/
DROP TYPE fz_nums
/
