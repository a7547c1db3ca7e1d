#include "engine/ModalLoopState.h"

int8_t ModalLoopState = 0;
