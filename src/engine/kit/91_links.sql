-- The database link VEXOAUDT of VOXA: the way to the audit database. A link belongs to the user who creates it,
-- so VOXA makes it. The main window reads it from USER_DB_LINKS to find where the audit data live. The alias
-- VEXOAUDT names a database of that name beside this one; the demo does not make it, so a statement through the
-- link fails with ORA-12154 until such a database exists.

CONNECT VOXA/VOXA
CREATE DATABASE LINK VEXOAUDT CONNECT TO VEXO_AUDIT IDENTIFIED BY VEXO_AUDIT USING 'VEXOAUDT';
