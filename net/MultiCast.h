#pragma once

// The lobby datagram link embedded in the game controller; the lobby fills it in.
class MultiCast {
public:
    MultiCast() = default;
    ~MultiCast() = default;
    MultiCast(const MultiCast&) = delete;
    MultiCast& operator=(const MultiCast&) = delete;
};
