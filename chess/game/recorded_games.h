// Recorded games: a file of the "Recorded" folder holds the moves of one
// game, little-endian: a u32 count n, then n u32 move words in the order
// played. These read and write that format; ChessGame names the files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "chess/engine/board.h"

// A name that is a plain file name of that folder: not empty, no path
// separator, not "." or "..", and something before a ".gam" ending.
bool IsValidRecordedGameName(const char* name);

// The folder of recorded games in the working folder (which may not exist yet).
std::filesystem::path RecordedGamesFolder();

std::vector<uint8_t> EncodeRecordedGame(const std::vector<chess::ChessMove>& moves);
// False, with the reason in *error, unless the data is exactly the count
// and that many moves.
bool DecodeRecordedGame(const std::vector<uint8_t>& data, std::vector<chess::ChessMove>& moves,
                        std::string* error);

// The folder is made when missing; false with the reason otherwise.
bool WriteRecordedGame(const std::filesystem::path& file,
                       const std::vector<chess::ChessMove>& moves, std::string* error);
bool ReadRecordedGame(const std::filesystem::path& file, std::vector<chess::ChessMove>& moves,
                      std::string* error);
