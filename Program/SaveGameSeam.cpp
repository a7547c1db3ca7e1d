#include "Program/SaveGameSeam.h"

SaveGameServices& GetSaveGameServices() {
    static SaveGameServices services;
    return services;
}
