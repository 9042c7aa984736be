#include "platform/sdl/window_options.h"

namespace qelo::sdl {

WindowOptions windowOptions;

}  // namespace qelo::sdl
