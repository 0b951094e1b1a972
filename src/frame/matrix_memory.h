// Where the frame finder's OpenCV matrices live. A reduced copy of a scan is a
// few megabytes a matrix, and the finder makes a dozen of them: the C library
// hands blocks that large back to the system when they are freed, and fresh
// memory costs a page fault for each 4 KB the first time it is touched
// (several microseconds under a hypervisor), so every search of a drawer's
// scans paid again, about a third of its time.
#pragma once

namespace pelmora::frame {

// From the first call on, OpenCV's matrices of 1 MB and more take their
// memory from blocks kept once freed, for the next matrix of the same size
// (up to 64 MB in all); smaller ones are OpenCV's own. The finder's module
// is OpenCV's only user in the process. Thread-safe; calls after the first
// do nothing.
void keepLargeMatrixMemory();

}  // namespace pelmora::frame
