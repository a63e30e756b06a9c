#pragma once
// The player's own export step, taken for the -export switch once the
// command-line cart is loaded. The player carries no exporter: the step
// exports nothing and hands its argument back. Packages are made with
// tools/export_cart.

// The export target, unchanged.
const char* do_export(const char* target);
