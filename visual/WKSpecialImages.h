#pragma once

#pragma GCC visibility push(default)
// Recoloured copies of toolbar image lists (the disabled look of the main
// program's buttons: tone 0, contrast 0.1, grey 1, alpha 0.5).
class TCustomImageList;

// A new 32-bit list with the same owner and images, recoloured: the tone and
// contrast table, a move toward grey and an alpha factor. Null when source
// is null or not 32-bit. Fully transparent pixels stay transparent. The new
// list belongs to the source's owner; without one the caller frees it.
TCustomImageList* CreateSpecialImageList(const TCustomImageList* source, float tone, float contrast, float grey,
                                         float alpha);

#pragma GCC visibility pop
