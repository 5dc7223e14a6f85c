#pragma once

#include <cstdint>

// One placed component. Plain record: the board owns it, everybody else only points at it.
struct tDetal {
    int32_t X = 0; // grid origin, 1-based
    int32_t Y = 0;
    int32_t Z = 0;
    int32_t Kind = 0;   // catalog code (1..9, 11..15, 21..24, 31..34); anything else draws nothing
    int32_t Figure = 0; // row of the figure table, 1..4
    int32_t Rot = 0;    // rotation step, any value; folded at draw time
    int32_t Index = 0;  // position in DetalList and the value stamped into the grid
};
