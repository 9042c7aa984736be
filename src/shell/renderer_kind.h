#pragma once
// Which renderer draws the show: the one asked for on the command line and
// the one chosen for this run.
namespace qelo {

enum class RendererRequest { automatic, gl, software };
enum class RendererKind { gl, software };

// Chosen once, before start-up; read wherever the two renderers differ.
extern RendererKind activeRenderer;

}  // namespace qelo
