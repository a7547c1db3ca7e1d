#pragma once

#include "engine/StoreImage.h"

// The resource store's picture table as the picture controls see it: picture `id`, or null when
// there is none. No window of the game makes these controls, so the game leaves it unset and no
// control finds a picture; tests point it at pictures of their own.
extern const StoreImage* (*StorePicture)(int id);
