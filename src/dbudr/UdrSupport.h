#pragma once
// What the server modules share: texts between the database's character set
// (CP932) and the file system's (UTF-8), owned engine references and errors
// raised to the caller. Included after the UDR engine's header.
#include <iconv.h>

#include <filesystem>
#include <string>

namespace udr {

// The text converted between two character sets; unchanged when it cannot be.
inline std::string convert(const char *to, const char *from, const std::string &in)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return in;
    std::string out(in.size() * 4 + 4, '\0');
    char *src = const_cast<char *>(in.data());
    size_t srcLeft = in.size();
    char *dst = out.data();
    size_t dstLeft = out.size();
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) return in;
    out.resize(out.size() - dstLeft);
    return out;
}

// A path as the database sends it, for the file system.
inline std::filesystem::path pathOf(const std::string &cp932)
{
    return std::filesystem::path(convert("UTF-8", "CP932", cp932));
}

// Owns a reference the engine hands out.
template <typename T>
struct Held {
    T *p;
    explicit Held(T *ptr) : p(ptr) {}
    ~Held()
    {
        if (p) p->release();
    }
    Held(const Held &) = delete;
    Held &operator=(const Held &) = delete;
    T *operator->() const { return p; }
};

// Raises an error to the caller: the text (UTF-8 here) and the path, both in
// CP932, as the client reads the server's messages.
[[noreturn]] inline void fail(Firebird::ThrowStatusWrapper *status, const std::string &utf8Text, const std::string &cp932Path)
{
    const std::string message = convert("CP932", "UTF-8", utf8Text) + " (" + cp932Path + ")";
    const ISC_STATUS vector[] = {isc_arg_gds, isc_random, isc_arg_string, reinterpret_cast<ISC_STATUS>(message.c_str()),
                                 isc_arg_end};
    throw Firebird::FbException(status, vector);
}

} // namespace udr
