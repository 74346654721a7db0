// How the catalog keeps passwords: verifiers in the form Oracle 12c stores (a random salt and the slow PBKDF2 key
// derivation), one of the upper-cased password (USER$.PASSWORD, what logon compares while sec_case_sensitive_logon
// is FALSE, the default) and one of the password as given (USER$.SPARE4).
#pragma once

#include <string>

namespace engine::catalog {

// A new verifier of the password (upper-cased first unless `caseSensitive`): "T:" followed, in upper-case hex, by
// SHA-512 of the PBKDF2-HMAC-SHA512 key of the password (4096 rounds, 64 bytes, salted with 16 random bytes and
// "AUTH_PBKDF2_SPEEDY_KEY") and the salt, then the 16 bytes of the salt. Two verifiers of one password differ.
std::string passwordVerifier(const std::string& password, bool caseSensitive);

// Whether the password matches a stored verifier. A verifier written by an older build of the engine (hex SHA-256
// of "USER:password") still matches, as Oracle keeps accepting a verifier of an older release until the password
// is changed; anything else matches nothing.
bool passwordMatches(
    const std::string& verifier, const std::string& user, const std::string& password, bool caseSensitive);

// Spends the time a verification takes, so that a logon of an unknown user takes as long as a wrong password.
void passwordMatchesNothing(const std::string& password);

} // namespace engine::catalog
