#pragma once

// Reads "HelpMessage.txt" into the help table.
void LoadHelpMessages();
