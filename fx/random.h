// The process-wide pseudo-random generator every effect draws from.
//
// It is never seeded, so each run draws the same sequence: a linear
// congruential generator whose state starts at 1, steps as
// state = state * 214013 + 2531011 (mod 2^32) and yields bits 16 to 30 of
// the new state, a number from 0 to 32767 (41, 18467, 6334, 26500, ...).
// Main thread only.
#pragma once
#include <cstdint>

constexpr int32_t kRandomMax = 32767;

int32_t nextRandom();

// For tests: read or replace the generator's state.
uint32_t randomState();
void setRandomState(uint32_t state);
