// The logger's configuration file "Quenta/Quenta.cfg", relative to the working
// directory (see LogFiles.h): one line "index, maximum index, switch; comment".
#pragma once
#include <cstddef>

namespace quenta {

// Sets LogSwitch from the file; writes the default line into a new or empty
// file (logging then stays off). Without the folder "Quenta" logging is off.
void ReadLogConfig();

// Gives the suffix of the next moved-aside log ("%03d" of the index) and
// advances the index in the file, back to 0 after the maximum. An empty
// configuration is reported, rewritten with the default line, switches
// logging off and gives "000". False, with nothing written, when the
// configuration cannot be opened or is not a private file of the caller.
bool GetSufix(char *suffix, size_t size);

}  // namespace quenta
