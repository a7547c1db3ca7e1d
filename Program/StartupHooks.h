#pragma once

class ScreenSettings;
class ResourceStore;
class GameController;

// The modules meet through hooks that start-up connects once the objects behind them exist, and
// that the tear-down disconnects before it deletes those objects.

// Once the settings object exists: the display's windowed flag and the cursor's hold words.
void BindSettingsHooks(ScreenSettings& settings);
// Once the resource store exists (the palettes are read already): the store's reach into the
// settings, clip manager, text layer, cursor and map view, the picture colour table, and the
// loading screen's frames.
void BindStoreHooks(ResourceStore& store);
// Once the game controller exists: the background loader, the cursor's modal query and the
// rule helpers' environment.
void BindControllerHooks(GameController& controller);
// Every hook back to null.
void UnbindProgramHooks();
