#pragma once
// The driver entry points behind off-screen render targets on WGL, fetched
// at run time (they are not exported by the GL library). The fetching and
// the decision whether the show can run are portable so they can be checked
// against a fake driver; the backend supplies the two driver look-ups.
#include <array>
#include <cstddef>
#include <functional>

namespace qelo {

// Any function pointer; cast back to the entry point's real type before calling.
using EntryPoint = void (*)();

// Index into PbufferEntryPoints, in the order the entry points are fetched.
enum PbufferEntryPointIndex : std::size_t {
    getExtensionsString,
    bindTexImage,
    releaseTexImage,
    setPbufferAttrib,
    createPbuffer,
    getPbufferDC,
    releasePbufferDC,
    destroyPbuffer,
    queryPbuffer,
    getPixelFormatAttribiv,
    getPixelFormatAttribfv,
    choosePixelFormat,
    pbufferEntryPointCount
};

// The exact names handed to the driver, indexed by PbufferEntryPointIndex.
inline constexpr std::array<const char*, pbufferEntryPointCount> pbufferEntryPointNames = {
    "wglGetExtensionsStringARB",    "wglBindTexImageARB",           "wglReleaseTexImageARB",
    "wglSetPbufferAttribARB",       "wglCreatePbufferARB",          "wglGetPbufferDCARB",
    "wglReleasePbufferDCARB",       "wglDestroyPbufferARB",         "wglQueryPbufferARB",
    "wglGetPixelFormatAttribivARB", "wglGetPixelFormatAttribfvARB", "wglChoosePixelFormatARB",
};

using PbufferEntryPoints = std::array<EntryPoint, pbufferEntryPointCount>;

// The advertised name of the pbuffer extension.
inline constexpr const char* pbufferExtensionName = "WGL_ARB_pbuffer";

// Fills `table` (null where the driver has nothing):
// 1. fetches the extension-string entry point; null -> false, nothing else fetched;
// 2. reads the extension string (`extensionString`, called only once the first
//    entry point is in `table`); "WGL_ARB_pbuffer" absent as a substring -> false;
// 3. fetches the other eleven in table order, a null one not stopping the rest;
// 4. true iff bindTexImage, releaseTexImage and setPbufferAttrib are all there.
// A null extension string counts as empty.
bool fetchPbufferEntryPoints(const std::function<EntryPoint(const char* name)>& fetch,
                             const std::function<const char*()>& extensionString, PbufferEntryPoints& table);

}  // namespace qelo
