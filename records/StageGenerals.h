#pragma once

#include <cstdint>

class OfficerRecord;
class ByteReader;
class LinkList;

// Generals listed in cities and sub-castles are also listed (not owned) by the scenario data;
// these keep both sides in step.

// Appends the general to the scenario's stage-general list, when there is scenario data.
void ListStageGeneral(OfficerRecord* general);
// Reads count generals of that owner from a section into an owned list, each also listed with
// the stage; 0 as soon as one is cut short.
int LoadGenerals(ByteReader& in, uint32_t count, int32_t ownerSide, LinkList& into);
// Takes the general off every scenario list that points at it, before it is deleted.
void UnlistStageGeneral(OfficerRecord* general);
// Unlists and deletes every general of an owned list and empties it.
void DeleteGenerals(LinkList& generals);
// Copies the template with the same "人物編號" over the general, keeping its "等級" and
// "經驗值"; 0 when the general is null or no template matches.
int RefreshGeneralFromTemplates(OfficerRecord* general);
