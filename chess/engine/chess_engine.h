// The chess engine's public interface in one include.
#pragma once

#include "chess/engine/attacks.h"
#include "chess/engine/board.h"
#include "chess/engine/book.h"
#include "chess/engine/book_maker.h"
#include "chess/engine/epd.h"
#include "chess/engine/eval.h"
#include "chess/engine/makemove.h"
#include "chess/engine/movegen.h"
#include "chess/engine/notation.h"
#include "chess/engine/perft.h"
#include "chess/engine/pgn.h"
#include "chess/engine/position_text.h"
#include "chess/engine/random.h"
#include "chess/engine/search.h"
#include "chess/engine/tt.h"
#include "chess/engine/zobrist.h"
