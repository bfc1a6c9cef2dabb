// Preloaded into a test's child process: the file system looks like one
// without anonymous temporary files (vfat, SMB, NFS), where an open with
// O_TMPFILE fails with EOPNOTSUPP. Every other open goes through unchanged.
#undef _FORTIFY_SOURCE
#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdarg>

namespace {

bool anonymous(int flags)
{
    return (flags & __O_TMPFILE) == __O_TMPFILE;
}

mode_t modeOf(int flags, va_list args)
{
    return (flags & O_CREAT) || anonymous(flags) ? mode_t(va_arg(args, int)) : 0;
}

template <typename Fn>
Fn next(const char *name)
{
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

// The real call, unless it asks for an anonymous file.
template <typename... Before>
int forward(const char *name, int flags, mode_t mode, Before... before)
{
    if (anonymous(flags)) {
        errno = EOPNOTSUPP;
        return -1;
    }
    using Fn = int (*)(Before..., int, ...);
    return next<Fn>(name)(before..., flags, mode);
}

} // namespace

// The mode argument is read only where the flags say one was passed.
#define SHIM_MODE(flags)                       \
    va_list args;                               \
    va_start(args, flags);                      \
    const mode_t mode = modeOf(flags, args);    \
    va_end(args)

extern "C" {

int open(const char *path, int flags, ...)
{
    SHIM_MODE(flags);
    return forward("open", flags, mode, path);
}

int open64(const char *path, int flags, ...)
{
    SHIM_MODE(flags);
    return forward("open64", flags, mode, path);
}

int openat(int dir, const char *path, int flags, ...)
{
    SHIM_MODE(flags);
    return forward("openat", flags, mode, dir, path);
}

int openat64(int dir, const char *path, int flags, ...)
{
    SHIM_MODE(flags);
    return forward("openat64", flags, mode, dir, path);
}

} // extern "C"
