#include "records/StageEditor.h"

StageEditor* TheStageEditor = nullptr;
