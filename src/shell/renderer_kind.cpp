#include "shell/renderer_kind.h"

namespace qelo {

RendererKind activeRenderer = RendererKind::gl;

}  // namespace qelo
