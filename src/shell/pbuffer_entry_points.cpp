#include "shell/pbuffer_entry_points.h"

#include "shell/extension_string.h"

namespace qelo {

bool fetchPbufferEntryPoints(const std::function<EntryPoint(const char* name)>& fetch,
                             const std::function<const char*()>& extensionString, PbufferEntryPoints& table)
{
    table.fill(nullptr);
    table[getExtensionsString] = fetch(pbufferEntryPointNames[getExtensionsString]);
    if (!table[getExtensionsString]) return false;

    // A null string (a broken driver) holds nothing.
    if (!hasExtension(extensionString(), pbufferExtensionName)) return false;

    for (std::size_t i = getExtensionsString + 1; i < pbufferEntryPointCount; ++i) {
        table[i] = fetch(pbufferEntryPointNames[i]);
    }
    // The pbuffer functions themselves are not required here; their absence
    // shows later as targets that draw nothing.
    return table[bindTexImage] && table[releaseTexImage] && table[setPbufferAttrib];
}

}  // namespace qelo
