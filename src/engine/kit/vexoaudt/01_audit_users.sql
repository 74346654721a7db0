-- The audit database VEXOAUDT: where VOXA's database link VEXOAUDT leads. It keeps the application's audit history
-- in the schema VEXO_AUDIT (password VEXO_AUDIT, as the link logs on), one table per audited table of VOXA, shaped
-- as the audit tables of the application's own database.

CREATE USER VEXO_AUDIT IDENTIFIED BY VEXO_AUDIT DEFAULT TABLESPACE USERS TEMPORARY TABLESPACE TEMP;
GRANT CONNECT, RESOURCE TO VEXO_AUDIT;
GRANT UNLIMITED TABLESPACE TO VEXO_AUDIT;
