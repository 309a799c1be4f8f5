// The store's message texts and captions.
#pragma once
#include <string>

namespace store {
inline const std::string kCanNotOpen = "   Can not open Vantry.csv !    ";
inline const std::string kCorrupted = "データファイルは壊れています";
inline const std::string kCaptionError = "Error";
inline const std::string kCaptionRead = "Read File / Vantry";

void ShowCanNotOpen();
void ShowCorrupted();
}  // namespace store
