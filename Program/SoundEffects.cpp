#include "Program/SoundEffects.h"

void PlaySoundEffect(int, int8_t) {}
