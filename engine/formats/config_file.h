#pragma once
// Reading "config.txt" from given places: `app_path` (a stdio file there, else
// the virtual disk's file of that name), else `program_path`; either may be
// null. tarq_config_load passes the application and program folders' files.
void tarq_config_load_from(const char* app_path, const char* program_path);
