#pragma once
// The cart browser's bulletin-board requests for list pages and a cart's
// information file, and the parts of them. Only the browser's own actions
// (player/browser/splore_menu) start them; nothing in the player does.
#include <cstdint>

// The first page (start_index 0) or a further page of a list.
int download_list(const char* name, const char* request, int32_t start_index);
// A cart's information file (the lid cut at its first '-').
int download_bbs_cart_nfo(const char* lid, int32_t kind);
// The lid without its "-version" suffix (out: SPLORE_TEXT bytes).
void strip_lid_version(const char* lid, char* out);
// The platform letter of the requests.
char get_platform_char();
