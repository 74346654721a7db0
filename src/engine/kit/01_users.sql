-- The schema owners of the application, its roles, and two of its end users.
--
-- VOXA       the application schema: business tables, parameters, users, locks, login log, job log
-- BILDOR     the second application schema: ledger
-- VEXO_UTIL  the tool's own tables: scripts, history, plan table, templates, projects, installations, monitor
-- VEXO_AUDIT the audit tables, one per audited table of VOXA
-- VEXO_SERVIS, BLOB  further schema owners of the installation (BLOB keeps documents and pictures)
-- MNOVAK     an end user of the application who is not an administrator (VOXA.ISEC_USERS.USERADMI = 0)
-- AKRALJ     an end user who is an administrator (USERADMI = 1), so the tool admits him
--
-- Tablespaces are names only: VOXA_PR for the application's data, USERS for the rest, TEMP for sorting.

CREATE USER VOXA IDENTIFIED BY VOXA DEFAULT TABLESPACE VOXA_PR TEMPORARY TABLESPACE TEMP;
CREATE USER BILDOR IDENTIFIED BY BILDOR DEFAULT TABLESPACE VOXA_PR TEMPORARY TABLESPACE TEMP;
CREATE USER VEXO_UTIL IDENTIFIED BY VEXO_UTIL DEFAULT TABLESPACE USERS TEMPORARY TABLESPACE TEMP;
CREATE USER VEXO_AUDIT IDENTIFIED BY VEXO_AUDIT DEFAULT TABLESPACE USERS TEMPORARY TABLESPACE TEMP;
CREATE USER VEXO_SERVIS IDENTIFIED BY VEXO_SERVIS DEFAULT TABLESPACE USERS TEMPORARY TABLESPACE TEMP;
CREATE USER BLOB IDENTIFIED BY BLOB DEFAULT TABLESPACE VOXA_PR TEMPORARY TABLESPACE TEMP;

-- End users are created as the installations window creates them: the first password is the user's own name.
CREATE USER MNOVAK IDENTIFIED BY MNOVAK DEFAULT TABLESPACE VOXA_PR TEMPORARY TABLESPACE TEMP;
CREATE USER AKRALJ IDENTIFIED BY AKRALJ DEFAULT TABLESPACE VOXA_PR TEMPORARY TABLESPACE TEMP;

-- ZDR: the end users' rights on the application's objects (the bulk grants window grants to it by default).
-- VGRUPA: the group of the application's schema users (each installation's owners get it).
CREATE ROLE ZDR;
CREATE ROLE VGRUPA;
