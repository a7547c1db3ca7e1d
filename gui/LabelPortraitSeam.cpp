#include "gui/LabelPortraitSeam.h"

LabelPicture* (*LoadLabelPortrait)(int size, int n) = nullptr;
void (*FreeLabelPortrait)(LabelPicture* picture) = nullptr;
