#pragma once
// Building a data pod ("data.pod"): the file the player reads at start. Its
// items are files, in this order: 0 the boot-sound cart as a text cart, 1 the
// resource pod and 2 the font pod, each saved as a pod file, 3 the head cart
// and 4 onwards the further carts, each as its 32 KiB cart image under its
// file name. The build's data-pod tool and the exporter both make it here.
#include <cstdint>

struct tarq_file;
struct tarq_pod;
struct tovo_cart;

constexpr int TOVO_DATAPOD_MAX_CARTS = 16;

struct tovo_datapod_parameters {
  tovo_cart* boot_cart;                       // sfx 0 is the boot sound
  tarq_pod* resources;                        // saved as it is
  tarq_pod* font;                             // 256 glyph bitmaps
  tovo_cart* carts[TOVO_DATAPOD_MAX_CARTS];   // carts[0] is the head cart
  const char* names[TOVO_DATAPOD_MAX_CARTS];  // the names they are mounted under
  int32_t cart_count;
};

// Which step refused a generate_dat_file, for the caller's message.
enum {
  TOVO_DATAPOD_OK = 0,
  TOVO_DATAPOD_BAD_ARGUMENT = 1,    // a missing part, or too many carts
  TOVO_DATAPOD_CODE_TOO_LARGE = 2,  // a cart's code does not fit its image
  TOVO_DATAPOD_NO_MEMORY = 3,
};
struct tovo_datapod_failure {
  int32_t reason;  // TOVO_DATAPOD_*
  int32_t cart;    // the cart index for CODE_TOO_LARGE
};

// A new pod of file items in the layout above, or null when a part is
// missing or a cart's code does not fit; the reason goes to failure (when
// given), which is TOVO_DATAPOD_OK and cart 0 after a pod was made.
tarq_pod* generate_dat_file(const tovo_datapod_parameters* p, tovo_datapod_failure* failure = nullptr);

// Fills the 32768-byte image with the cart, its code flattened of include
// lines; 0 done, 1 when the code does not fit (or there is no cart), 2 when
// flattening refused an include line or the text grew too long.
constexpr int TOVO_FLATTEN_REFUSED = 2;
int save_cart_to_file_as_32k_flattened_block(tovo_cart* cart, uint8_t* image);
