#pragma once

// A one-byte object without state that start-up makes and tear-down deletes.
class Blitter16 {};

extern Blitter16* TheBlitter16;
