#pragma once

class StageReader;
class StageWriter;
class Zu_StageSet;

// The castle gate files: the tag "Door    Data", the record size 92, then per kingdom of the
// stage (by position in its list) the gate count and one 23-word record per gate.
enum class GateFileKind {
    Door, // ".dor": where each gate stands; read back closed
    Gate, // ".gat": also each gate's open state and its pieces' status and strength
};

void WriteGates(StageWriter& out, Zu_StageSet& stage, GateFileKind kind);
// Appends the gates of the file to the kingdoms' gate lists; records whose centre lies off the map
// or whose layout the door patterns do not know are skipped. False when the file is damaged (the
// gates read whole before stay).
bool ReadGates(StageReader& in, Zu_StageSet& stage, GateFileKind kind);
