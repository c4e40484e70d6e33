// The old immediate-mode display pass, for the benchmark.
#ifndef VINCA_BENCH_IMMEDIATE_SCENE_H
#define VINCA_BENCH_IMMEDIATE_SCENE_H

// One whole frame as display() drew it in immediate mode, from the same global state.
void immediateDisplay();

#endif
