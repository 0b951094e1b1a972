// The boundary between the programs and pelmora-frame.so, the module that
// holds the frame finder and every OpenCV call. OpenCV as Debian builds it
// links OpenGL and X11, which the batch tool must not load, and its libraries
// cost every start; so the programs load the module (frame/frame_module.h)
// only when a frame is looked for, and call it only through this table. As
// with the GDAL module, both sides are built from the same sources and C++
// types may cross (a Failure thrown inside reaches the caller).
#pragma once

#include "frame/frame_finder.h"

namespace pelmora {

// Raised whenever the table or the types it passes change.
inline constexpr int kFrameModuleVersion = 1;

struct FrameModuleApi {
  int version;  // kFrameModuleVersion of the module's build
  FrameFound (*findFrame)(const RasterSource& source, const FrameSearch& search);
};

}  // namespace pelmora

extern "C" const pelmora::FrameModuleApi* pelmora_frame_module_api();
inline constexpr const char kFrameModuleEntry[] = "pelmora_frame_module_api";
