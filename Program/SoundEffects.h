#pragma once

#include <cstdint>

// Plays sound effect `id` once when sound is on.
void PlaySoundEffect(int id, int8_t unused = 0);
