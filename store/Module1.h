// The state every window of the program shares, alive for the whole run.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace Module1 {

constexpr int kTableRows = 100;
constexpr int kTableFields = 11;
constexpr int kMaxFileRows = 99;    // an archive holds at most this many records
constexpr int kMaxFileColumns = 9;  // the chain field must fit the 11 fields

using Row = std::array<std::string, kTableFields>;

// Field 0 the item name, 1..ColumnCount the values, ColumnCount + 1 the chain.
inline std::array<Row, kTableRows> VaultTable;
inline std::array<std::string, kTableFields> ColumnTitles;  // entries 1..ColumnCount
inline int16_t RowCount = 0;
inline int16_t ColumnCount = 0;
inline std::string AppFolder;  // holds the archive and its backups

inline std::string HintText;
inline std::string LoginPasswordText;
inline std::string EditPasswordText;

// Main-window state.
inline int16_t DisplayLevel = 0;  // 0 all masked, 1 column 1 clear, 2 all clear
inline int16_t EditMode = 0;
inline int16_t SizeToggle = 0;
inline int16_t FailedTries = 0;
inline int32_t ActiveRow = 0;
inline int32_t ActiveColumn = 0;

// Everything back to program start (tests).
void Reset();

}  // namespace Module1
