#pragma once

#include "canvas.h"

#include <cstdint>

namespace kelmira {

using ModelFn = void (*)(Canvas&);

// The model of a kind code, or nullptr for a code outside the catalog (draws nothing).
ModelFn modelForKind(int32_t kind);
// Draws the model of `kind` around the current origin; codes without a model draw nothing.
void drawModel(Canvas& c, int32_t kind);

} // namespace kelmira
