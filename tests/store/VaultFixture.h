// Small archives for the store tests, written with the real cipher.
#pragma once
#include <string>
#include <vector>

#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/TempFolder.h"

// Scrambles one plain record as the writer does.
std::string ScrambleLine(const std::string &plain);

// An archive text: header, then each plain record scrambled, CR LF after each.
std::string MakeArchive(const std::string &header, const std::vector<std::string> &plainRecords);

// Fills Module1 with rows named by `names`, `columns` user columns whose
// values are "<name>.<c>", and a credentials row.
void FillTable(const std::vector<std::string> &names, int columns);
