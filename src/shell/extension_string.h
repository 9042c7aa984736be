#pragma once
// Whether a driver's extension string advertises an extension.

namespace qelo {

// Plain byte-wise, case-sensitive substring search of `name` in `extensions`
// (not a search for a whole space-separated token: a name that begins a
// longer advertised name counts as present). An empty name is present in
// any string; a null pointer counts as an empty string.
bool hasExtension(const char* extensions, const char* name);

}  // namespace qelo
