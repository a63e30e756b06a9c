#pragma once
// The help printer. Nothing in the player prints help this way.

// Prints "help topic: %s" and "blah"; a null topic takes the lower-case word
// (a-z, 0-9, '_', at most 63 characters) at the cursor of the current code
// tab.
void print_help_topic(const char* topic);
