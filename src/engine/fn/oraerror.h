// The Oracle error a built-in function or format model raises: code and Oracle's full message text. Thrown only on
// the failure path, so conversions that succeed pay nothing for it.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace engine::fn {

class OraError : public std::exception {
public:
    // text is Oracle's message without the code prefix, e.g. "literal does not match format string".
    OraError(int code, std::string_view text);
    int code() const { return errorCode; }
    // "ORA-01861: literal does not match format string"
    const std::string& message() const { return fullMessage; }
    const char* what() const noexcept override { return fullMessage.c_str(); }

private:
    int errorCode;
    std::string fullMessage;
};

} // namespace engine::fn
