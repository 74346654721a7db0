// USER, UID, USERENV and SYS_CONTEXT('USERENV', ...): what the session knows about itself, read from its
// FunctionContext at each call.
#include "engine/fn/fnutil.h"

namespace engine::fn::detail {

namespace {

void user(sqlite3_context* ctx, int, sqlite3_value**)
{
    resultText(ctx, state(ctx)->context->user);
}

void uid(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_int64(ctx, state(ctx)->context->uid);
}

[[noreturn]] void invalidParameter()
{
    throw OraError(2003, "invalid USERENV parameter");
}

void userenv(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    guarded(ctx, [&] {
        if (anyNull(argc, argv))
            invalidParameter();
        const FunctionContext& c = *state(ctx)->context;
        std::string_view p = textArg(argv[0]);
        // USERENV is VARCHAR2 for every parameter, the numeric ones too: a number here would compare unequal to
        // its own text ('1') where Oracle converts.
        if (equalsIgnoreCase(p, "SESSIONID") || equalsIgnoreCase(p, "SID"))
            resultText(ctx, std::to_string(c.sessionId));
        else if (equalsIgnoreCase(p, "SCHEMAID"))
            resultText(ctx, std::to_string(c.schemaId));
        else if (equalsIgnoreCase(p, "ENTRYID"))
            resultText(ctx, "0");
        else if (equalsIgnoreCase(p, "TERMINAL"))
            resultText(ctx, c.terminal);
        else if (equalsIgnoreCase(p, "LANGUAGE"))
            resultText(ctx, c.language);
        else if (equalsIgnoreCase(p, "LANG"))
            resultText(ctx, "US");
        else if (equalsIgnoreCase(p, "INSTANCE"))
            resultText(ctx, std::to_string(c.instance));
        else if (equalsIgnoreCase(p, "ISDBA"))
            resultText(ctx, c.isDba ? "TRUE" : "FALSE");
        else if (equalsIgnoreCase(p, "CLIENT_INFO"))
            resultText(ctx, c.clientInfo);
        else
            invalidParameter();
    });
}

void sysContext(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (isNull(argv[0]) || isNull(argv[1])) {
        sqlite3_result_null(ctx);
        return;
    }
    guarded(ctx, [&] {
        std::string_view space = textArg(argv[0]);
        if (!equalsIgnoreCase(space, "USERENV")) {
            // Application contexts are not kept: every attribute of one reads as unset, which is NULL.
            sqlite3_result_null(ctx);
            return;
        }
        const FunctionContext& c = *state(ctx)->context;
        std::string_view p = textArg(argv[1]);
        std::string value;
        bool isNullValue = false;
        auto is = [&](std::string_view name) { return equalsIgnoreCase(p, name); };
        if (is("SESSION_USER"))
            value = c.user;
        else if (is("CURRENT_USER"))
            value = c.currentUser.empty() ? c.user : c.currentUser;
        else if (is("CURRENT_USERID"))
            value = std::to_string(c.currentUser.empty() ? c.uid : c.currentUserId);
        else if (is("SESSION_USERID"))
            value = std::to_string(c.uid);
        else if (is("CURRENT_SCHEMAID"))
            value = std::to_string(c.schemaId);
        else if (is("CURRENT_SCHEMA"))
            value = c.currentSchema.empty() ? c.user : c.currentSchema;
        else if (is("DB_NAME") || is("DB_UNIQUE_NAME") || is("SERVICE_NAME"))
            value = c.dbName;
        else if (is("INSTANCE_NAME"))
            value = c.instanceName;
        else if (is("INSTANCE"))
            value = std::to_string(c.instance);
        else if (is("HOST") || is("SERVER_HOST"))
            value = c.host;
        else if (is("OS_USER"))
            value = c.osUser;
        else if (is("SESSIONID") || is("SID"))
            value = std::to_string(c.sessionId);
        else if (is("TERMINAL"))
            value = c.terminal;
        else if (is("LANGUAGE"))
            value = c.language;
        else if (is("LANG"))
            value = "US";
        else if (is("ISDBA"))
            value = c.isDba ? "TRUE" : "FALSE";
        else if (is("CLIENT_INFO"))
            value = c.clientInfo;
        else if (is("MODULE"))
            value = c.module;
        else if (is("ACTION"))
            value = c.action;
        else if (is("NLS_DATE_FORMAT"))
            value = c.nlsDateFormat;
        else if (is("NLS_DATE_LANGUAGE"))
            value = "AMERICAN";
        else if (is("NLS_TERRITORY"))
            value = "AMERICA";
        else if (is("NLS_SORT"))
            value = "BINARY";
        else if (is("NLS_CALENDAR"))
            value = "GREGORIAN";
        else if (is("NLS_CURRENCY"))
            value = "$";
        else if (is("AUTHENTICATION_METHOD"))
            value = "PASSWORD";
        else if (is("ENTRYID") || is("FG_JOB_ID"))
            value = "0";
        else if (is("DB_DOMAIN") || is("IP_ADDRESS") || is("NETWORK_PROTOCOL") || is("CLIENT_IDENTIFIER")
            || is("BG_JOB_ID") || is("PROXY_USER") || is("PROXY_USERID"))
            isNullValue = true;
        else
            invalidParameter();
        if (isNullValue) {
            sqlite3_result_null(ctx);
            return;
        }
        int64_t length = 256;
        if (argc > 2 && !isNull(argv[2])) {
            length = integerArg(argv[2]);
            if (length < 1 || length > 4000)
                length = 256;
        }
        if (value.size() > size_t(length))
            value.resize(size_t(length));
        resultText(ctx, value);
    });
}

} // namespace

void registerEnvironmentFunctions(Registrar& r)
{
    r.add("ORA_USER", user);
    r.add("ORA_UID", uid);
    r.add("ORA_USERENV", userenv);
    r.add("ORA_SYS_CONTEXT", sysContext);
}

} // namespace engine::fn::detail
