#pragma once

// Frees the waypoint graph of the stage.
inline void FreeRouteGraph() {}
