/* Preloaded by scripts/sanitize: a Mesa DRI driver (swrast_dri.so holds llvmpipe) stays mapped when
 * libGL closes it, so the memory the driver keeps until the process ends stays reachable from the
 * driver's globals instead of being reported as leaked by an unknown module. Every other library is
 * closed as usual. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <link.h>
#include <string.h>

int dlclose(void* handle) {
    static int (*next)(void*) = 0;
    if (next == 0) {
        next = (int (*)(void*))dlsym(RTLD_NEXT, "dlclose");
    }
    struct link_map* map = 0;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != 0 && map->l_name != 0 &&
        strstr(map->l_name, "/dri/") != 0 && strstr(map->l_name, "_dri.so") != 0) {
        return 0;
    }
    return next(handle);
}
