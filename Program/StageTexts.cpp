#include "Program/StageTexts.h"

#include "Program/GameController.h"
#include "records/TemplateTables.h"

int ReloadStageTexts(const char* stageFile) {
    GameController* c = TheGameController;
    if (!c || !stageFile) return 0;
    if (!c->templateTables) c->templateTables = new TemplateTables;
    const int read = c->templateTables->ReadMainFile(stageFile);
    c->templateTables->LoadTalkTexts();
    return read;
}
