#include "player/command_history.h"

tovo_command_history command_history;

void clear_command_history() {
  command_history.count = 0;
  command_history.position = 0;
}
