#pragma once
// Backups taken before a cart file is overwritten, in the application
// folder's "backup/" under "YYYYMMDD_hhmmss_" + the file's name.

// With raw, copies up to 1 MiB of the file as it is; otherwise writes the
// working cart there (a picture cart for names holding ".png", else a text
// cart). An empty name backs up as "untitled.kx". 0, or 1 when nothing
// could be written.
int save_backup(const char* name, int raw);
// The backup file name for a cart file name at the current time, in out
// (TARQ_PATH_MAX bytes); 0, or 1 when it does not fit.
int tovo_backup_filename(const char* name, char* out);
