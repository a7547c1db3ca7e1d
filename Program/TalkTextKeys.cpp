#include "Program/GameController.h"

const uint8_t* GameController::FindBlockByKey(int32_t key) const {
    for (int i = 0; i < 300; ++i)
        if (blocks[i] && blockKeys[i] == key) return blocks[i];
    return nullptr;
}
