#pragma once

#include "gui/RootObject.h"

// Sender and applier of the code-32 game records.
class GameRecordChannel : public RootObject {
public:
    GameRecordChannel() = default;
    ~GameRecordChannel() override = default;
};
