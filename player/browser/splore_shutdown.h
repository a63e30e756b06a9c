#pragma once
// Ending the cart browser's lists; the player never ends them.

// Frees every list's items (the lists themselves stay) and leaves the lists
// to be set up again.
void splore_shutdown();
