// Files an interrupted save leaves beside the archive: the new archive not
// yet in place (".Vantry-save-XXXXXX") and the retired oldest backup
// (".Vantry-save-XXXXXX.old"). The leading dot and the fixed word keep them
// apart from anything the owner keeps there: no other name is ever removed.
#pragma once
#include <string>

namespace store {

// The name of a save's temporary file in folder, for mkstemp.
std::string TemporaryPattern(const std::string &folder);

// The name under which the oldest backup waits to be deleted.
std::string RetiredName(const std::string &temporary);

// True for a name a save of ours makes for a while.
bool IsLeftoverName(const std::string &name);

// Removes those of them in folder that are regular files of this user, once
// "Vantry.csv" there reads as an archive; else they may be all there is.
void RemoveLeftovers(const std::string &folder);

}  // namespace store
