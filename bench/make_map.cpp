// Writes a deterministic map-like raster for the benchmarks: smooth coloured
// regions with contour lines, a road network, lettering-like specks and a
// little scanner noise, so that its JPEG sizes and timings are realistic.
// `make_map WIDTH HEIGHT out.bmp [out.ppm]`: a 24-bit bottom-up BMP and,
// when asked, a PPM of the same pixels.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

std::uint32_t hash(std::uint32_t a, std::uint32_t b, std::uint32_t salt) {
  std::uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ salt * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

// Smooth value noise in [0, 1) along one row: random values on a lattice,
// blended smoothly. The lattice values are hashed again only when a pixel
// enters a new lattice cell.
class RowNoise {
 public:
  RowNoise(float y, float cell, std::uint32_t salt) : cell_(cell), salt_(salt) {
    const float fy = y / cell;
    iy_ = std::uint32_t(fy);
    const float ty = fy - float(iy_);
    ty_ = ty * ty * (3 - 2 * ty);
  }

  float at(float x) {
    const float fx = x / cell_;
    const auto ix = std::uint32_t(fx);
    if (ix != ix_) {
      ix_ = ix;
      v00_ = v(ix, iy_);
      v10_ = v(ix + 1, iy_);
      v01_ = v(ix, iy_ + 1);
      v11_ = v(ix + 1, iy_ + 1);
    }
    float tx = fx - float(ix);
    tx = tx * tx * (3 - 2 * tx);
    const float top = v00_ + (v10_ - v00_) * tx;
    const float bottom = v01_ + (v11_ - v01_) * tx;
    return top + (bottom - top) * ty_;
  }

 private:
  float v(std::uint32_t a, std::uint32_t b) const {
    return float(hash(a, b, salt_) >> 8) / float(1 << 24);
  }

  float cell_;
  std::uint32_t salt_;
  std::uint32_t iy_;
  float ty_;
  std::uint32_t ix_ = 0xFFFFFFFFu;
  float v00_ = 0, v10_ = 0, v01_ = 0, v11_ = 0;
};

constexpr std::array<std::array<std::uint8_t, 3>, 8> kLandColours = {{
    {{214, 234, 246}},  // water (blue, green, red)
    {{200, 230, 210}},  // meadow
    {{150, 200, 160}},  // forest
    {{120, 180, 140}},  // dense forest
    {{190, 220, 235}},  // fields
    {{170, 200, 230}},  // scrub
    {{200, 205, 215}},  // settlement
    {{230, 235, 240}},  // bare ground
}};

struct Road {
  bool across;  // runs across (a row) or down (a column)
  int at, width;
  std::array<std::uint8_t, 3> colour;
};

std::vector<Road> roads(int width, int height) {
  std::vector<Road> list;
  for (std::uint32_t i = 0; i < 40; ++i) {
    const std::uint32_t h = hash(i, 77, 5);
    const bool across = i % 2 == 0;
    const int at = int(h % std::uint32_t(across ? height : width));
    const bool major = h % 5 == 0;
    list.push_back({across, at, major ? 7 : 3,
                    major ? std::array<std::uint8_t, 3>{{40, 60, 200}}
                          : std::array<std::uint8_t, 3>{{50, 50, 50}}});
  }
  return list;
}

void paintRow(int y, int width, const std::vector<Road>& roadList, std::uint8_t* out) {
  const float fy = float(y);
  RowNoise hills(fy, 1400, 1), knolls(fy, 260, 2), regions(fy, 900, 3), patches(fy, 120, 4),
      lettering(fy, 40, 6);
  for (int x = 0; x < width; ++x) {
    const float fx = float(x);
    const float terrain = 0.7f * hills.at(fx) + 0.3f * knolls.at(fx);
    const float land = regions.at(fx) * 0.8f + patches.at(fx) * 0.2f;
    auto colour = kLandColours[std::min(7, int(land * 8))];
    if (terrain < 0.28f) colour = kLandColours[0];
    // Contour lines every 1/24 of the terrain's height.
    const float level = terrain * 24;
    if (level - std::floor(level) < 0.06f) colour = {{60, 110, 150}};
    std::uint8_t b = colour[0], g = colour[1], r = colour[2];
    const std::uint32_t h = hash(std::uint32_t(x), std::uint32_t(y), 9);
    // Lettering-like clusters of dark specks.
    if (lettering.at(fx) > 0.82f && (h & 7) < 3) b = g = r = 30;
    const int grain = int(h >> 28) - 8;  // scanner noise
    out[3 * x] = std::uint8_t(std::clamp(b + grain, 0, 255));
    out[3 * x + 1] = std::uint8_t(std::clamp(g + grain, 0, 255));
    out[3 * x + 2] = std::uint8_t(std::clamp(r + grain, 0, 255));
  }
  for (const Road& road : roadList) {
    if (road.across) {
      if (std::abs(y - road.at) * 2 > road.width) continue;
      for (int x = 0; x < width; ++x)
        std::copy(road.colour.begin(), road.colour.end(), out + 3 * x);
    } else {
      const int from = std::max(0, road.at - road.width / 2),
                to = std::min(width, road.at + road.width / 2 + 1);
      for (int x = from; x < to; ++x)
        std::copy(road.colour.begin(), road.colour.end(), out + 3 * x);
    }
  }
}

void put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

bool writeAll(int fd, const void* data, std::size_t size, off_t at) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = pwrite(fd, p, size, at);
    if (n <= 0) return false;
    p += n;
    size -= std::size_t(n);
    at += n;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: make_map WIDTH HEIGHT out.bmp [out.ppm]\n");
    return 2;
  }
  const int width = std::atoi(argv[1]), height = std::atoi(argv[2]);
  if (width <= 0 || height <= 0 || width > 100000 || height > 100000) {
    std::fprintf(stderr, "make_map: bad size\n");
    return 2;
  }
  const std::int64_t stride = (std::int64_t(width) * 3 + 3) / 4 * 4;
  const std::int64_t pixelBytes = stride * height;
  if (54 + pixelBytes > 0xFFFFFFFFll) {
    std::fprintf(stderr, "make_map: too large for a BMP\n");
    return 2;
  }
  const int bmp = open(argv[3], O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int ppm = argc == 5 ? open(argv[4], O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
  if (bmp < 0 || (argc == 5 && ppm < 0)) {
    std::perror("make_map");
    return 1;
  }
  std::uint8_t header[54] = {'B', 'M'};
  put32(header + 2, std::uint32_t(54 + pixelBytes));
  put32(header + 10, 54);
  put32(header + 14, 40);
  put32(header + 18, std::uint32_t(width));
  put32(header + 22, std::uint32_t(height));
  header[26] = 1;
  header[28] = 24;
  put32(header + 34, std::uint32_t(pixelBytes));
  put32(header + 38, 2835);
  put32(header + 42, 2835);
  const std::string ppmHeader =
      "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  bool ok = writeAll(bmp, header, sizeof header, 0) &&
            (ppm < 0 || writeAll(ppm, ppmHeader.data(), ppmHeader.size(), 0));

  const auto roadList = roads(width, height);
  const unsigned workers = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> threads;
  std::vector<char> failed(workers, 0);
  for (unsigned t = 0; t < workers; ++t) {
    threads.emplace_back([&, t] {
      std::vector<std::uint8_t> row(std::size_t(stride), 0);
      for (int y = int(t); y < height; y += int(workers)) {
        paintRow(y, width, roadList, row.data());
        const bool written =
            writeAll(bmp, row.data(), std::size_t(stride), off_t(54 + (height - 1 - y) * stride)) &&
            (ppm < 0 || writeAll(ppm, row.data(), std::size_t(width) * 3,
                                 off_t(ppmHeader.size() + std::size_t(y) * width * 3)));
        if (!written) failed[t] = 1;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  ok = ok && std::none_of(failed.begin(), failed.end(), [](char f) { return f != 0; });
  ok = close(bmp) == 0 && ok;
  if (ppm >= 0) ok = close(ppm) == 0 && ok;
  if (!ok) {
    std::perror("make_map");
    return 1;
  }
  return 0;
}
