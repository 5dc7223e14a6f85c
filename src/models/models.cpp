#include "models.h"

namespace kelmira {

// Placeholder table until the models land: every kind draws nothing.
ModelFn modelForKind(int32_t) { return nullptr; }

void drawModel(Canvas& c, int32_t kind) {
    if (ModelFn fn = modelForKind(kind))
        fn(c);
}

} // namespace kelmira
