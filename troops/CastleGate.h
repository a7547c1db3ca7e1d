#pragma once

#include "gui/RootObject.h"

#include <cstdint>

class Troop;
struct GateRecord;

// A gateway of eight cells in a castle wall. Its eight pieces are troops of officer kind 17 that
// block the cells while the gate is closed; it opens for its own side, closes, breaks when a piece
// is destroyed, and is repaired and restored. Owned by its kingdom's gate list.
class CastleGate : public RootObject {
public:
    static constexpr int kPieces = 8;

    // A gate with no pieces (the editor and tests fill it in).
    CastleGate() = default;
    CastleGate(int32_t centreX, int32_t centreY, int32_t direction, int32_t owner, int32_t style,
               int32_t fileValueA, int32_t fileValueB);
    ~CastleGate() override;
    CastleGate(const CastleGate&) = delete;
    CastleGate& operator=(const CastleGate&) = delete;

    // A gate as a door file describes it for a kingdom; null for a direction or style the door
    // pattern table has no entry for.
    static CastleGate* FromRecord(const GateRecord& record, int32_t owner);
    static bool ValidLayout(int32_t direction, int32_t style);

    // Per frame: 1 open, 0 closed.
    virtual int32_t UpdateOpenState();
    // 0 closed, 1 open, 2 broken, 3 broken (silent).
    virtual void SetOpen(int32_t state);
    int32_t OnPieceDamaged();
    void RequestStrength(int32_t value);
    void SetStrength(int32_t value);
    int32_t Repair();
    void RequestRestore();
    void Restore();
    void FlagForRepair();
    void SetOwner(int32_t kingdom);
    bool ContainsCell(int32_t x, int32_t y) const;
    // The gate holding this piece, over the owner kingdom's gate list; null none.
    static CastleGate* HoldingPiece(const Troop* piece);
    // The program-wide number all pieces of one gate share; raised after each gate.
    static uint16_t groupNumber;

    int32_t ownerSide = 0;
    int32_t direction = 0;
    int32_t style = 0;
    int32_t gateCells[kPieces][2] = {};
    Troop* pieces[kPieces] = {};  // owned
    int32_t cellX = 0, cellY = 0; // the centre cell
    int32_t openState = 0;
    int32_t counter = 0;
    int32_t pictureRect[4] = {};
    int32_t pictureIndex = 0;
    int32_t strengthTotal = 0; // the pieces' summed strength
    int32_t cityX = 0, cityY = 0;
    int32_t repairFlag = 0;
    // Read by the map view's gate bar.
    int32_t maxStrength = 0;
    int32_t boundUnit = 0;

private:
    bool AnyPieceDestroyed() const;
    void SumStrength();
    bool CentreInView() const;
};
