// The effects' pseudo-random generator (see fx/random.h).
#include "fx/random.h"

namespace {
uint32_t state = 1;
}

int32_t nextRandom() {
    state = state * 214013u + 2531011u;
    return int32_t((state >> 16) & 0x7FFFu);
}

uint32_t randomState() { return state; }

void setRandomState(uint32_t newState) { state = newState; }
