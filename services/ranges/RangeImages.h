#pragma once
// The pictures of limit alarms: 0 a watched value between two limits, 1 the
// same struck out, 2 the switch of the submenu.
#include "TreeView.h"

TPictureList DrawRangeImages(int Size);
