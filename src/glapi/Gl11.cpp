#include "glapi/Gl11.h"

namespace glapi {

Gl11 Current{};

} // namespace glapi
