#pragma once
// The cart installers behind install_demos() and install_games(): they copy
// carts kept in the data pod's resources into the console's folders.
//
// Resource 251 holds a pod of demo carts, one text cart a file item named by
// its file name. Resource 252 holds a pod of preloaded games: item 0 a text
// index of one line a game, "id|file name|title", then one picture cart a
// game in the index's order.
#include <cstdint>

constexpr int32_t TOVO_DEMO_CARTS_RESOURCE = 251;
constexpr int32_t TOVO_PRELOADED_GAMES_RESOURCE = 252;
constexpr int32_t TOVO_DEMO_CARTS = 12;
constexpr int32_t TOVO_PRELOADED_GAMES = 7;

// Writes the demo carts to root path + "demos/", printing each name. Each
// file is replaced whole: one that cannot be written stays as it was, and
// "could not write to disk" ends the installing. 0 when every cart was
// written (or there were none), 1 when one was not.
int install_demo_carts();
// Writes each preloaded game to its bulletin-board cache file and to root
// path + "games/", printing each title; failures as for the demo carts.
int install_preloaded_bbs_carts();
// install_games(): the browser's favourites kept around the installing.
void install_games();
