// The scripting interface of the test double of the Oracle client library, looked up by tests in the same loaded
// library the driver uses.
#pragma once

extern "C" {
// Resets the double and loads a script (JSON): users, aliases, version, statements with their answers, output lines.
using fakeoci_configure_t = void (*)(const char* json);
// What the driver asked of the client so far, as a JSON array of lines ("prepare ...", "bind NAME 6 12.5", ...).
using fakeoci_log_t = const char* (*)();
// 1 while a statement waits for a break.
using fakeoci_waiting_t = int (*)();
// Handles allocated and not yet freed (the environment included).
using fakeoci_live_handles_t = int (*)();
}
