/*
 * Test tooling only, never part of qelo.exe: an LD_PRELOAD shim for running
 * the Windows build under Wine on Debian 12's Mesa (software GLX) and Xvfb.
 *
 * The fault it works around is the environment's, not ours: for a
 * single-buffered RGBA8 pbuffer the X server makes a depth-32 drawable, while
 * Mesa's software path hands XPutImage / XShmPutImage a 32-bit-per-pixel image
 * labelled depth 24. The server rejects the mismatch with BadMatch and Wine
 * dies on the first draw into a render target. The shim relabels such an
 * image with the drawable's real depth for the one call, then restores it.
 *
 * Build: cc -shared -fPIC -O2 -o xputimage_depth_shim.so xputimage_depth_shim.c -ldl
 */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>
#include <dlfcn.h>

typedef int (*PutImageFunction)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned int, unsigned int);
typedef Bool (*ShmPutImageFunction)(Display*, Drawable, GC, XImage*, int, int, int, int, unsigned int,
                                    unsigned int, Bool);

/* The drawable's depth in bits, or 0 when the server cannot say. */
static int drawableDepth(Display* display, Drawable drawable)
{
    Window root;
    int x, y;
    unsigned int width, height, border, depth = 0;
    if (!XGetGeometry(display, drawable, &root, &x, &y, &width, &height, &border, &depth)) return 0;
    return (int)depth;
}

/* Relabels a 32-bit-per-pixel image whose depth (24 or 32) differs from the
 * drawable's; returns the original depth for the caller to restore. */
static int matchDepth(Display* display, Drawable drawable, XImage* image)
{
    const int original = image->depth;
    if (image->bits_per_pixel != 32 || (original != 24 && original != 32)) return original;
    const int target = drawableDepth(display, drawable);
    if ((target == 24 || target == 32) && target != original) image->depth = target;
    return original;
}

int XPutImage(Display* display, Drawable drawable, GC gc, XImage* image, int sourceX, int sourceY, int x, int y,
              unsigned int width, unsigned int height)
{
    static PutImageFunction real;
    if (!real) real = (PutImageFunction)dlsym(RTLD_NEXT, "XPutImage");
    const int original = matchDepth(display, drawable, image);
    const int result = real(display, drawable, gc, image, sourceX, sourceY, x, y, width, height);
    image->depth = original;
    return result;
}

Bool XShmPutImage(Display* display, Drawable drawable, GC gc, XImage* image, int sourceX, int sourceY, int x, int y,
                  unsigned int width, unsigned int height, Bool sendEvent)
{
    static ShmPutImageFunction real;
    if (!real) real = (ShmPutImageFunction)dlsym(RTLD_NEXT, "XShmPutImage");
    const int original = matchDepth(display, drawable, image);
    const Bool result = real(display, drawable, gc, image, sourceX, sourceY, x, y, width, height, sendEvent);
    image->depth = original;
    return result;
}
