// Linked into every program of the sanitizer build: dlclose() leaves the library mapped. LeakSanitizer looks for
// leaks at exit, after the libraries that a program or Qt unloaded are gone; memory held in such a library's
// globals would then be reported as leaked from "<unknown module>", which no suppression can name. Kept mapped,
// the library's globals are searched like any other's, and a leak is reported with the library's real name.
#include <dlfcn.h>

extern "C" int dlclose(void *) noexcept
{
    return 0;
}
