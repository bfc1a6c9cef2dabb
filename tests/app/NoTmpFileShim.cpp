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

} // namespace

extern "C" {

int open(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    if (anonymous(flags)) {
        errno = EOPNOTSUPP;
        return -1;
    }
    static auto real = next<int (*)(const char *, int, ...)>("open");
    return real(path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    if (anonymous(flags)) {
        errno = EOPNOTSUPP;
        return -1;
    }
    static auto real = next<int (*)(const char *, int, ...)>("open64");
    return real(path, flags, mode);
}

int openat(int dir, const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    if (anonymous(flags)) {
        errno = EOPNOTSUPP;
        return -1;
    }
    static auto real = next<int (*)(int, const char *, int, ...)>("openat");
    return real(dir, path, flags, mode);
}

int openat64(int dir, const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    if (anonymous(flags)) {
        errno = EOPNOTSUPP;
        return -1;
    }
    static auto real = next<int (*)(int, const char *, int, ...)>("openat64");
    return real(dir, path, flags, mode);
}

} // extern "C"
