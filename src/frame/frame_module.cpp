#include "frame/frame_module.h"

#include <atomic>
#include <mutex>

#include "base/failure.h"
#include "base/messages.h"
#include "frame/frame_module_api.h"
#include "raster/own_module.h"

namespace pelmora {
namespace {

constexpr OwnModule kModule{"pelmora-frame.so",           "PELMORA_FRAME_MODULE",
                            kFrameModuleEntry,            messages::cannotLoadFrameModule,
                            messages::frameModuleWithoutEntry, messages::frameModuleNotLocated};

const FrameModuleApi& frameModule() {
  static std::atomic<const FrameModuleApi*> loaded{nullptr};
  if (const FrameModuleApi* api = loaded.load(std::memory_order_acquire)) return *api;
  static std::mutex loading;
  std::lock_guard lock(loading);
  if (const FrameModuleApi* api = loaded.load(std::memory_order_relaxed)) return *api;
  const FrameModuleApi* api = tableOf<FrameModuleApi>(findOwnModule(kModule));
  if (!api || api->version != kFrameModuleVersion)
    throw Failure(messages::frameModuleVersionMismatch(api ? api->version : 0, kFrameModuleVersion),
                  QLatin1String(kModule.fileName));
  loaded.store(api, std::memory_order_release);
  return *api;
}

}  // namespace

FrameFound findFrameThroughModule(const RasterSource& source, const FrameSearch& search) {
  return frameModule().findFrame(source, search);
}

}  // namespace pelmora
