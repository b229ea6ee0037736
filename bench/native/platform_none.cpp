// Natively the quick access benchmark has only its portable keeper.
#include "corebench.h"

const EntryKeeper *const PlatformKeepers = nullptr;
const int PlatformKeeperCount = 0;
