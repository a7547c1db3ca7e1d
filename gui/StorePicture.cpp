#include "gui/StorePicture.h"

const StoreImage* (*StorePicture)(int id) = nullptr;
