#include "Program/HelpTexts.h"

void LoadHelpMessages() {}
