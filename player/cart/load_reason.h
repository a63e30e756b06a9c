#pragma once
// Why a cart file could not be loaded, for the engine log and standard
// error (the console itself only says "could not load").

// The reason the file at path does not load as a cart, in a few words.
const char* tovo_cart_load_reason(const char* path);
// Logs and writes to standard error: "could not load <name>: <reason>".
void tovo_report_load_failure(const char* name, const char* path);
