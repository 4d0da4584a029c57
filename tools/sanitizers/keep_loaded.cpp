// Linked into every program of the sanitized build (tools/test.sh --sanitize): libraries opened
// at run time stay loaded until the process ends. Ogre's plug-ins, the GL driver that Mesa opens
// for them and Qt's plug-ins are otherwise closed at shutdown, before LeakSanitizer looks: the
// memory they still hold then seems lost, and their stack frames have no names. Kept loaded, what
// they hold is reachable and anything they really lose is reported under their own names.
#include <dlfcn.h>

extern "C" void* dlopen(const char* file, int mode)
{
    using Open = void* (*)(const char*, int);
    static const Open open = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "dlopen"));
    return open(file, mode | RTLD_NODELETE);
}
