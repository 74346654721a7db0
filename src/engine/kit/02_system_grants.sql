-- System privileges and roles of the demo's users. Object grants follow the objects (90_object_grants.sql).

-- VOXA is the tool's logon user: it may run every tool, the administration windows (sessions, restricted
-- session, installations, jobs) included. The server-job windows also look for a direct EXECUTE ANY PROCEDURE.
GRANT CONNECT, RESOURCE, DBA TO VOXA;
GRANT EXECUTE ANY PROCEDURE, SELECT ANY DICTIONARY, SELECT ANY TABLE TO VOXA;
GRANT UNLIMITED TABLESPACE TO VOXA;

GRANT CONNECT, RESOURCE TO BILDOR;
GRANT UNLIMITED TABLESPACE TO BILDOR;

-- The utility schema's procedures read other schemas' tables and the dictionary (structure dump, row counts,
-- monitor) and switch rollback segments.
GRANT CONNECT, RESOURCE TO VEXO_UTIL;
GRANT SELECT ANY DICTIONARY, SELECT ANY TABLE, ALTER ROLLBACK SEGMENT TO VEXO_UTIL;
GRANT UNLIMITED TABLESPACE TO VEXO_UTIL;

GRANT CONNECT, RESOURCE TO VEXO_AUDIT;
GRANT UNLIMITED TABLESPACE TO VEXO_AUDIT;
GRANT CONNECT, RESOURCE TO VEXO_SERVIS;
GRANT CONNECT, RESOURCE TO BLOB;
GRANT UNLIMITED TABLESPACE TO BLOB;

-- End users log on with CONNECT; the administrator also reads the dictionary and may start the server jobs.
GRANT CONNECT TO MNOVAK;
GRANT CONNECT TO AKRALJ;
GRANT SELECT ANY DICTIONARY, EXECUTE ANY PROCEDURE TO AKRALJ;

-- The application's roles: its schema users are in the group; end users and the schema users hold ZDR.
GRANT VGRUPA TO VOXA, BILDOR, AKRALJ;
GRANT ZDR TO VOXA, BILDOR, MNOVAK, AKRALJ;
