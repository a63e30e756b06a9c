#include "player/cart/disk_state.h"

tovo_disk_state disk_state;
