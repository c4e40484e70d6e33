// Heap allocations counted by replacing the C library's allocation functions in the
// benchmark binary (operator new reaches them through libstdc++).
#ifndef VINCA_BENCH_ALLOC_COUNT_H
#define VINCA_BENCH_ALLOC_COUNT_H

struct AllocCounts {
    long long all; // on the main thread, from anywhere
    long long
        fromProgram; // on the main thread, called from this executable's code (new: libstdc++'s)
    long long otherThreads; // on any other thread (the driver's rasterizer threads)
};

// Counts on the calling thread as the main one from now on.
void markMainThread();

AllocCounts allocCounts();

AllocCounts operator-(const AllocCounts &a, const AllocCounts &b);

#endif
