// The row loops again, for the x86-64 baseline alone, in rows::baseline.
#define PELMORA_ROWS_BASELINE_COPY
#include "render/row_kernels.cpp"
