// The store's message texts and captions. Each failure shows its message box
// and writes one line to standard error with the path and the reason.
#pragma once
#include <string>

namespace store {
inline const std::string kCanNotOpen = "   Can not open Vantry.csv !    ";
inline const std::string kCorrupted = "データファイルは壊れています";
inline const std::string kCaptionError = "Error";
inline const std::string kCaptionRead = "Read File / Vantry";
inline const std::string kCaptionSave = "Save / Vantry";

// Reading.
void ShowCanNotOpen(const std::string &path, const std::string &why);
void ShowLibraryMissing(const std::string &path, const std::string &why);
void ShowCorrupted(const std::string &path, const std::string &why);
void ReportNothingToOpen(const std::string &path, const std::string &why);  // no box: the silent end

// Saving: refused before anything was written, or failed part way.
void ShowSaveRefused(const std::string &path, const std::string &why);
void ShowSaveFailed(const std::string &path, const std::string &why);
// The archive at path is no longer what this program read or last wrote:
// true when the owner still wants to save, the file as it is becoming the
// first backup.
bool AskSaveOverChanged(const std::string &path);
}  // namespace store
