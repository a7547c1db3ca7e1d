#pragma once

#include <cstdint>

// Shared by the modal loops and the window procedure: 0 no modal loop, 1 one runs, 2 or more
// the window procedure asks it to end.
extern int8_t ModalLoopState;
