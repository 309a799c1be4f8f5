// Start-up and the archive "Vantry.csv": reading, writing and credentials.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

// The windows start-up may open; the store knows nothing of them.
struct StartupWindows {
  std::function<void()> showMainWindow;   // modeless: the program lives on
  std::function<void()> runCreateDialog;  // modal: returns when it closes
};

// Returns true when the main window was shown and the program goes on.
bool Main(const StartupWindows &windows);

void LoadCredentials();

// Reads AppFolder/Vantry.csv; the count of record lines, 0 on any failure.
int16_t ReadVault();

// Takes the field of line starting at 1-based start; returns where the next
// field starts, or 0 after the last one. start 0 leaves field unchanged.
int SplitField(const std::string &line, std::string &field, int start);

// Writes the table to AppFolder/Vantry.csv after rotating the backups.
// Either the whole new archive is in place, or nothing changed and the user
// was told; the result says which.
bool WriteVault();

// The text WriteVault writes for the table as it is: the header, then every
// record scrambled. False, with why, for a table the archive cannot hold.
bool ArchiveText(std::string &out, std::string &why);

// Puts a copy of backup (1..3) in place of "Vantry.csv", which is kept under
// the path keptAs; on failure nothing changed and the user was told.
bool RestoreBackup(int backup, const std::string &keptAs);

// File names in AppFolder.
std::string VaultPath(int backup = 0);  // 0 = Vantry.csv, 1..3 = VantryN.csv
