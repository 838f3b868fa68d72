#pragma once
// The element pictures of pipe counting, drawn at run time: 0 a drill pipe,
// 1 a bottom-hole-assembly element, 2 no element, 3 a casing joint.
#include "TreeView.h"

#pragma GCC visibility push(default)

TPictureList DrawPipeImages(int Size);

#pragma GCC visibility pop
