#pragma once

// Writes the layouts of the network screens into the working folder: "Win74.gui", "Win201.gui",
// "Win206.gui" .. "Win213.gui" and "Win01_1.gui", with the controls each screen looks up.
namespace lobbyfixture {

void WriteLobbyLayouts();

} // namespace lobbyfixture
