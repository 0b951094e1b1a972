#include "frame/frame_module.h"

#include "base/messages.h"
#include "frame/frame_module_api.h"
#include "raster/own_module.h"

namespace pelmora {
namespace {

constexpr OwnModule kModule{"pelmora-frame.so",
                            "PELMORA_FRAME_MODULE",
                            kFrameModuleEntry,
                            kFrameModuleVersion,
                            messages::cannotLoadFrameModule,
                            messages::frameModuleWithoutEntry,
                            messages::frameModuleNotLocated,
                            messages::frameModuleVersionMismatch};

}  // namespace

FrameFound findFrameThroughModule(const RasterSource& source, const FrameSearch& search) {
  return loadedTable<FrameModuleApi>(kModule).findFrame(source, search);
}

}  // namespace pelmora
