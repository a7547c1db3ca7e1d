#pragma once

// The stage record is built in StageSet.h; this name stays for the files that include it.
#include "Program/StageSet.h"
