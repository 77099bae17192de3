// Linked into the tests of the thread-sanitizer pass only.
//
// QProcess starts a child with clone(CLONE_VM | CLONE_VFORK): until it calls
// exec, the child runs in the parent's memory. The sanitizer's clone wrapper
// treats every clone as a fork and updates its bookkeeping for the child -
// which, in shared memory, is the parent's: from the first process a test
// starts while it has threads, the sanitizer stops recording the main
// thread's accesses and lock operations, so races with it go unseen and
// orderings made through it are lost (false reports). A clone that shares the
// parent's memory therefore goes straight to the C library; the sanitizer
// sees only the parent waiting for it, which is all that happens.
#include <dlfcn.h>
#include <sched.h>
#include <sys/types.h>

#include <cstdarg>

extern "C" int clone(int (*fn)(void*), void* stack, int flags, void* arg, ...)
{
    va_list more;
    va_start(more, arg);
    pid_t* parentTid = va_arg(more, pid_t*);
    void* tls = va_arg(more, void*);
    pid_t* childTid = va_arg(more, pid_t*);
    va_end(more);
    using Clone = int (*)(int (*)(void*), void*, int, void*, ...);
    static const Clone viaSanitizer = reinterpret_cast<Clone>(dlsym(RTLD_NEXT, "clone"));
    static const Clone direct = [] {
        void* libc = dlopen("libc.so.6", RTLD_LAZY | RTLD_NOLOAD);
        return libc ? reinterpret_cast<Clone>(dlsym(libc, "clone")) : nullptr;
    }();
    const Clone target = (flags & CLONE_VM) && direct ? direct : viaSanitizer;
    return target(fn, stack, flags, arg, parentTid, tls, childTid);
}
