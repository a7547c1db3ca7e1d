#pragma once

// A small battle for the troop tests: the shared battle, with unit animations written as files
// into the test's own folder.

#include "engine/ResourceStore.h"
#include "fuzz/seeds/builders/BattleFixture.h"
#include "fuzz/seeds/builders/StoreFixtures.h"
#include "support/TempFolder.h"

#include <cstdio>
#include <memory>
#include <string>

namespace trooptest {

using battlefix::kMapRows;
using battlefix::kMapWidth;

class Battle : public battlefix::Battle {
public:
    Battle() = default;
    ~Battle() override {
        TheResourceStore = nullptr;
        store.reset();
    }

    // Unit animations: every listed type gets `rows` action rows of `frames` frames each.
    void Animations(std::initializer_list<int> kinds, int rows = 25, int frames = 4) {
        std::vector<storefix::AnmFrameSpec> anm;
        for (int f = 0; f < frames; ++f)
            anm.push_back({1, 1, 0, 0, {uint8_t(f + 1)}});
        std::vector<storefix::ActSpec> act(static_cast<size_t>(rows), storefix::ActSpec{});
        for (auto& a : act)
            for (int f = 0; f < frames; ++f)
                a.steps.push_back({0, uint16_t(f)});
        for (int k : kinds) {
            char name[16];
            std::snprintf(name, sizeof name, "%03d", k);
            storefix::WriteBytes(folder.path() / "ani" / (std::string(name) + ".anm"),
                                 storefix::AnmFile(anm));
            storefix::WriteBytes(folder.path() / "ani" / (std::string(name) + ".act"),
                                 storefix::ActFile(act));
        }
        if (!store) store = std::make_unique<ResourceStore>();
        TheResourceStore = store.get();
    }

    testsupport::TempFolder folder;
    std::unique_ptr<ResourceStore> store;
};

} // namespace trooptest
