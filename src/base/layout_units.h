// Layout units: what the window's sizes and the renderer's corner points are
// measured in, 1/1440 inch, so 15 a pixel at 96 dots per inch.
#pragma once

namespace pelmora {

constexpr double kUnitsPerPixel = 15;

}  // namespace pelmora
