#include "Program/BattleRecordSeam.h"

RecordStage*& CurrentRecordStage() {
    static RecordStage* stage = nullptr;
    return stage;
}
