#pragma once
// Stand-in for the run loop's cycle charge until the console run loop exists:
// the arithmetic and PRNG charge their work through it.

// n < 0 charges nothing; otherwise max(n, 1) * 2 cycles are added to the
// spend counter and to the interpreter's slice counter.
void spend_cpu(int n);

// Cycles charged through spend_cpu since the program started (stand-in for
// the console's per-frame spend counter).
extern int tovo_standin_spend_counter;
