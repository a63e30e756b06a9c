#pragma once
// The charge that bindings make for their work (and the interpreter, as its
// host's service): n < 0 charges nothing; otherwise max(n, 1) * 2 cycles go
// to the spend counter of the frame and to the interpreter's slice counter.
void spend_cpu(int n);

// The same without doubling.
void spend_cpu_8MHz(int n);
