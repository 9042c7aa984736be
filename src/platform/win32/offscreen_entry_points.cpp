#include "platform/win32/offscreen_entry_points.h"

#include "platform/win32/native_window.h"
#include "shell/extension_string.h"
#include "shell/pbuffer_entry_points.h"

namespace qelo::win32 {

WglExtensions wgl;

namespace {

template <typename Function>
void take(Function& slot, EntryPoint address)
{
    slot = reinterpret_cast<Function>(address);
}

EntryPoint fetchFromDriver(const char* name)
{
    return reinterpret_cast<EntryPoint>(wglGetProcAddress(name));
}

}  // namespace

bool hasWglExtension(const char* name)
{
    if (!wgl.getExtensionsString) return false;
    return hasExtension(wgl.getExtensionsString(windowDeviceContext()), name);
}

bool initPbufferExtension()
{
    PbufferEntryPoints table{};
    const bool usable = fetchPbufferEntryPoints(
        fetchFromDriver,
        [&table] {
            take(wgl.getExtensionsString, table[getExtensionsString]);
            return wgl.getExtensionsString(windowDeviceContext());
        },
        table);

    take(wgl.getExtensionsString, table[getExtensionsString]);
    take(wgl.bindTexImage, table[bindTexImage]);
    take(wgl.releaseTexImage, table[releaseTexImage]);
    take(wgl.setPbufferAttrib, table[setPbufferAttrib]);
    take(wgl.createPbuffer, table[createPbuffer]);
    take(wgl.getPbufferDC, table[getPbufferDC]);
    take(wgl.releasePbufferDC, table[releasePbufferDC]);
    take(wgl.destroyPbuffer, table[destroyPbuffer]);
    take(wgl.queryPbuffer, table[queryPbuffer]);
    take(wgl.getPixelFormatAttribiv, table[getPixelFormatAttribiv]);
    take(wgl.getPixelFormatAttribfv, table[getPixelFormatAttribfv]);
    take(wgl.choosePixelFormat, table[choosePixelFormat]);
    return usable;
}

}  // namespace qelo::win32
