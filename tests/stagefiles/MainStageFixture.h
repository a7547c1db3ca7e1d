#pragma once

// The shared main stage, entered in a folder of the test's own.

#include "fuzz/seeds/builders/MainStageFixture.h"
#include "support/TempFolder.h"
#include "troops/TroopFixture.h"

namespace mainstagetest {

using mainstagefix::FillItemTable;
using mainstagefix::kCity1;
using mainstagefix::kCity2;
using mainstagefix::kCity3;
using mainstagefix::kIndexA;
using mainstagefix::kIndexB;

class MainWorld : public mainstagefix::MainWorld {
public:
    testsupport::TempFolder folder;
};

} // namespace mainstagetest
