#pragma once
// The shared generator's raw step, its save slot and its seed words. The
// player seeds and draws from the generator but never saves or sets its state.
#include <cstdint>

uint32_t tarq_rand();
void tarq_random_save();
void tarq_random_restore();
void tarq_random_get_seeds(uint32_t* high, uint32_t* low);
void tarq_random_set_seeds(uint32_t high, uint32_t low);
