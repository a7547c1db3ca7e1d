#pragma once

#include "engine/LinkList.h"

#include <cstdint>
#include <vector>

class EventRunner;
class EventStep;
class Kingdom;
class OfficerRecord;
class Troop;

namespace events {

// Carries out the step's command for the runner; 0 when the script ends with it.
int RunCommand(EventRunner& runner, EventStep& step);

// The commands that take generals out of play, hand troops and cities over, create troops and
// destroy cities.
void CmdTransferGeneral(int32_t person, int32_t kingdomId);
void CmdRemoveGenerals(const EventStep& step);
void CmdRemoveRebels(int32_t mark);
void CmdTransferRebels(int32_t mark, int32_t kingdomId);
void CmdClearAreaTroops(const EventStep& step);
void CmdAddGarrisonGeneral(int32_t templateId, int32_t kingdomId);
void CmdDestroyCities(const EventStep& step);
void CmdTransferCity(int32_t cityId, int32_t kingdomId);
void CmdAddAmbushGeneral(int32_t templateId);
void CmdKillGeneral(int32_t person);

// Takes a troop and its followers off the map; a named general's block is kept for later stages
// (with keep 0 it has fallen: the player's general keeps level -1).
void WithdrawTroop(Troop* troop, int keep);
void SaveCarriedOfficer(const OfficerRecord& officer);
// Gives the officer back the progress of the saved block when its template is a named general.
void RestoreCarriedOfficer(OfficerRecord& officer, const uint8_t* saved);

// The eight id fields of a step in their order, zeros left out.
std::vector<int32_t> StepIds(const EventStep& step);
// The kingdom of the stage with that id ("國家索引"), or null.
Kingdom* StageKingdom(int32_t id);
Kingdom* PlayerKingdomObject();
void Append(LinkList& list, void* value);

} // namespace events
