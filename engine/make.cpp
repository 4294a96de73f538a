// The per-ply records. Making and unmaking moves, with the hash key and material
// carried incrementally, run at every node and are defined inline in engine.h.
#include "engine/engine.h"

PlyState plyState[maxPly + 1];
