// Files an interrupted save leaves beside the archive: the new archive not
// yet in place ("Vantry.csv.XXXXXX") and the retired oldest backup
// ("Vantry.csv.XXXXXX.old").
#pragma once
#include <string>

namespace store {

// True for a name a save of ours makes for a while.
bool IsLeftoverName(const std::string &name);

// Removes those of them in folder that are regular files of this user, once
// "Vantry.csv" there reads as an archive; else they may be all there is.
void RemoveLeftovers(const std::string &folder);

}  // namespace store
