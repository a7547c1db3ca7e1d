#include "Program/SaveGameSeam.h"

SaveGameServices& GetSaveGameServices() {
    static SaveGameServices services;
    return services;
}

const char* SaveSlotFileName(int slot) {
    static const char* const names[16] = {
        ".\\Save\\dynasty1.age", ".\\Save\\dynasty2.age", ".\\Save\\dynasty3.age", ".\\Save\\dynasty4.age",
        ".\\Save\\dynasty5.age", ".\\Save\\dynasty6.age", ".\\Save\\dynasty7.age", ".\\Save\\dynasty8.age",
        ".\\Save\\dynasty9.age", ".\\Save\\dynastyA.age", ".\\Save\\dynastyB.age", ".\\Save\\dynastyC.age",
        ".\\Save\\dynastyD.age", ".\\Save\\dynastyE.age", ".\\Save\\dynastyF.age", ".\\Save\\dynastyG.age",
    };
    return slot >= 0 && slot < 16 ? names[slot] : nullptr;
}
