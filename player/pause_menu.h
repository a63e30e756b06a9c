#pragma once
// The pause menu over the frozen game: continue, the cart's own items,
// options (sound, volume, fullscreen, controls), reset cart, the way back
// along the run chain, quit and, with `run`, shutdown. The pause state lives
// in app.pause_state: 0 closed, 1 menu, 2 key configuration, 3 controls
// picture, 4 options.
#include <cstdint>

struct tarq_bitmap;

constexpr int TOVO_PAUSE_ITEMS = 16;
constexpr int TOVO_PAUSE_LABEL = 16;

enum {
  TOVO_PAUSE_CLOSED = 0,
  TOVO_PAUSE_MENU = 1,
  TOVO_PAUSE_KEYCONFIG = 2,
  TOVO_PAUSE_CONTROLS = 3,
  TOVO_PAUSE_OPTIONS = 4,
};

// Item types.
enum {
  TOVO_ITEM_CONTINUE = 0,
  TOVO_ITEM_RESET = 1,
  TOVO_ITEM_FAVOURITE = 2,
  TOVO_ITEM_SUSPEND = 3,
  TOVO_ITEM_STOP = 4,
  TOVO_ITEM_RUN_CHAIN = 5,
  TOVO_ITEM_QUIT = 6,
  TOVO_ITEM_UPDATE = 7,
  TOVO_ITEM_OPTIONS = 8,
  TOVO_ITEM_SOUND = 9,
  TOVO_ITEM_FULLSCREEN = 10,
  TOVO_ITEM_BACK = 11,
  TOVO_ITEM_KEYCONFIG = 12,
  TOVO_ITEM_CONTROLS = 13,
  TOVO_ITEM_VOLUME = 19,
  TOVO_ITEM_CART = 256,  // 257-261: the cart's items 1-5
};

// What a cart menu item's event byte says: left, right, or chosen.
constexpr int32_t TOVO_MENU_EVENT_LEFT = 1;
constexpr int32_t TOVO_MENU_EVENT_RIGHT = 2;
constexpr int32_t TOVO_MENU_EVENT_CHOSEN = 0x70;

struct paused_menu_item {
  char label[TOVO_PAUSE_LABEL + 1];
  int32_t type;
};

struct tovo_pause_menu {
  paused_menu_item item[TOVO_PAUSE_ITEMS];
  int32_t count;
  int32_t selected;
};

extern tovo_pause_menu pause_menu;

void add_paused_menu_item(const char* label, int32_t type);
// Refills the items for the current pause state.
void build_paused_menu();
// Opens the menu on player 0's pause button, or offers the update of the
// running cart when a newer version was found (splore.newer_version).
void update_paused_menu();
// One paused tick's navigation and actions.
void process_paused_keypresses();
// Opens the menu from the cart (extcmd "pause" and "controls"): page 0 the
// menu, keeping the previous selection when keep_selection is non-zero;
// page 1 the controls picture.
void tovo_open_paused_menu(int32_t page, int32_t keep_selection);
// Sets the pause state, emptying the keyboard queue when a page closes.
void set_paused_menu_state(int32_t state);
void close_paused_menu();
// Draws the open page over the game picture.
void draw_paused_menu(tarq_bitmap* page);
// The controls picture: key rows and button lamps.
void draw_paused_controls_menu(tarq_bitmap* page);
// One button lamp of the controls picture at (x, y): lit (sprite 248) while
// button b of player p is held, else sprite 247, with the button's glyph one
// pixel lower when lit. Buttons 0-5 carry a glyph, the pause button (6)
// none; buttons above 6 draw nothing.
void draw_controls_button(tarq_bitmap* page, int32_t b, int32_t p, int32_t x, int32_t y);
// The text of a key row of the controls picture: row 0 player 0 directions,
// 1 player 0 O and X, 2 player 1 directions, 3 player 1 O and X.
void tovo_controls_row_text(int32_t row, char* out, int32_t size);
