// A damaged "Vantry.csv" with an intact backup beside it.
#pragma once
#include <string>

namespace store {

// The newest of "Vantry1.csv" to "Vantry3.csv" in AppFolder that reads whole
// by the reader's rules; 0 when none does.
int NewestIntactBackup();

// The name a damaged archive is kept under, "Vantry.damaged-<date-time>.csv"
// in AppFolder, for the local time `when`; a name in use gets a number.
std::string DamagedName(time_t when);

// After "Vantry.csv" failed to read as damaged: asks whether to open the
// newest intact backup and, on OK, puts a copy of it in place (the damaged
// file kept) and reads it. True when the archive now reads.
bool OfferNewestBackup();

}  // namespace store
