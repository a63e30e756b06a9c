// Reading and writing "config.txt": for now the settings keep their defaults
// and options, and nothing is written.
#include "engine/config.h"

tarq_load_config_func tarq_load_config_hook = nullptr;
tarq_save_config_func tarq_save_config_hook = nullptr;

void tarq_set_load_config_func(tarq_load_config_func fn) { tarq_load_config_hook = fn; }
void tarq_set_save_config_func(tarq_save_config_func fn) { tarq_save_config_hook = fn; }

void tarq_config_load() {}
void tarq_config_save() {}
