#pragma once
// Whether a driver advertises an extension: a plain, case-sensitive substring
// search of its extension string. A name that is the beginning of a longer
// advertised name also counts as present, which is how the show has always
// looked extensions up.

namespace qelo {

// False for a null extension string; an empty name is found in any string.
bool hasExtension(const char* extensions, const char* name);

}  // namespace qelo
