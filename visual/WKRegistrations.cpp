// The platform classes that user-form text may name, registered by this
// library's start-up beside its own controls (which register in their units).
#include "ClassRegistry.h"
#include "ComCtrls.h"
#include "ImgList.h"
#include "ScrollBox.h"

WK_REGISTER_CLASS(TTabSheet)
WK_REGISTER_CLASS(TImageList)
WK_REGISTER_CLASS(TScrollBox)
