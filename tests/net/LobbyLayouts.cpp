#include "LobbyLayouts.h"

#include "tools/make_demo/NetworkLayouts.h"

#include <gtest/gtest.h>

namespace lobbyfixture {

void WriteLobbyLayouts() {
    // The demo folder's own network layouts.
    for (const auto& [name, bytes] : NetworkLayouts())
        ASSERT_TRUE(gamefiles::WriteBytes(name, bytes)) << name;
}

} // namespace lobbyfixture
