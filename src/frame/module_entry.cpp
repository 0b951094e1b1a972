// The table pelmora-frame.so hands to the programs.
#include "frame/frame_module_api.h"

namespace pelmora {
namespace {

FrameFound find(const RasterSource& source, const FrameSearch& search) { return findFrame(source, search); }

constexpr FrameModuleApi kApi{kFrameModuleVersion, find};

}  // namespace
}  // namespace pelmora

extern "C" const pelmora::FrameModuleApi* pelmora_frame_module_api() { return &pelmora::kApi; }
