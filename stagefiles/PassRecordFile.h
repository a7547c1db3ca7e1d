#pragma once

#include <cstdint>
#include <span>
#include <string>

class PassRecordTable;
class Troop;

// The folder of the save slots and pass files, made when it is missing; false when it cannot be.
bool MakeSaveFolder();

// ".\Save\PassNN.gen" with the two digits of the number; empty for a number that has no two
// digits.
std::string PassFileName(int32_t number);

// Copies the troop's officer (an ordinary general only) into the pass table, with its
// followers' person numbers in its escort fields.
void RecordPassOfficer(Troop* troop);

// The pass file's bytes into the table, which is emptied first: the record count read, or -1 when
// the file is damaged (a count the bytes cannot hold, a person number outside the table); the
// table then holds nothing.
int32_t ReadPassRecordBytes(std::span<const uint8_t> bytes, PassRecordTable& table);
