#pragma once
// The data pod's title: the text of the resource pod's item 4, which names
// the window and the files of screenshots and clips.

// The title text ("" when the pod has none), in an internal buffer that the
// next call overwrites.
const char* get_embedded_cart_title();
