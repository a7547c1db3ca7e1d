#pragma once

#include "engine/StoreImage.h"

// The resource store's picture table as the picture controls see it: picture `id`, or null when
// there is none. Start-up points it at the store; unset, no control finds a picture.
extern const StoreImage* (*StorePicture)(int id);
