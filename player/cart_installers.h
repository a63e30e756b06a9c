#pragma once
// The cart installers behind install_demos() and install_games().

// Installs the demo carts of the data file under root path + "demos/".
void install_demo_carts();
// Installs the preloaded bulletin-board carts under root path + "games/".
void install_preloaded_bbs_carts();
// install_games(): the browser's favourites are saved, the preloaded carts
// installed and the favourites read again.
void install_games();
