#include "render/scene.h"

namespace kelmira {

Rgb rgbFromColorValue(int32_t c) {
    const uint32_t v = static_cast<uint32_t>(c);
    return Rgb{static_cast<float>(v & 0xFF) / 255.f, static_cast<float>((v >> 8) & 0xFF) / 255.f,
               static_cast<float>((v >> 16) & 0xFF) / 255.f};
}

} // namespace kelmira
