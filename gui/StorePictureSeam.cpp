#include "gui/StorePictureSeam.h"

const StoreImage* (*StorePicture)(int id) = nullptr;
