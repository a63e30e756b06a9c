#pragma once
// Controls of the engine the player never uses: restarting the program from
// its start-up hook (the engine is shut down first when it runs), the
// console-only mode that skips every platform step, and pausing the mixer.

int tarq_restart();
int tarq_console_program();
void tarq_set_paused(int flag);
