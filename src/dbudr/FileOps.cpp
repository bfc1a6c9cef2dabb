// File procedures of the system database: the database server answers for
// files and folders on its own side, so that a client can test, copy and
// delete data-set files there. Loaded by the server's UDR engine.
#define FB_UDR_STATUS_TYPE ::Firebird::ThrowStatusWrapper
#include <firebird/UdrCppEngine.h>

#include <iconv.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

// Texts arrive in the database's character set (CP932); the file system speaks UTF-8.
std::string convert(const char *to, const char *from, const std::string &in)
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

fs::path pathOf(const std::string &cp932)
{
    return fs::path(convert("UTF-8", "CP932", cp932));
}

template <typename V>
std::string text(const V &v, bool isNull)
{
    return isNull ? std::string() : std::string(v.str, v.length);
}

int fileOperation(const std::string &mode, const std::string &p1, const std::string &p2)
{
    std::error_code ec;
    const fs::path a = pathOf(p1);
    if (mode == "FEXIST") return fs::is_regular_file(a, ec) ? 1 : 0;
    if (mode == "FCOPY") {
        if (p2.empty()) return 0;
        return fs::copy_file(a, pathOf(p2), fs::copy_options::overwrite_existing, ec) && !ec ? 1 : 0;
    }
    if (mode == "FDEL") return fs::remove(a, ec) && !ec ? 1 : 0;
    return 0;
}

int directoryTest(const std::string &mode, const std::string &p1)
{
    std::error_code ec;
    const fs::path a = pathOf(p1);
    if (mode == "DEXIST") return fs::is_directory(a, ec) ? 1 : 0;
    if (mode == "MKDIR") {
        fs::create_directories(a, ec);
        return fs::is_directory(a, ec) ? 1 : 0;
    }
    if (mode == "RMDIR") {
        if (!fs::is_directory(a, ec) || a == a.root_path()) return 0;
        fs::remove_all(a, ec);
        return !ec && !fs::exists(a) ? 1 : 0;
    }
    return 0;
}

} // namespace

using namespace Firebird;

FB_UDR_BEGIN_PROCEDURE(fileoperation)
    FB_UDR_MESSAGE(InMessage,
        (FB_VARCHAR(64), mode)
        (FB_VARCHAR(2048), path1)
        (FB_VARCHAR(2048), path2)
    );
    FB_UDR_MESSAGE(OutMessage,
        (FB_INTEGER, wbool)
    );

    FB_UDR_EXECUTE_PROCEDURE
    {
        out->wboolNull = FB_FALSE;
        out->wbool = fileOperation(text(in->mode, in->modeNull), text(in->path1, in->path1Null),
                                   text(in->path2, in->path2Null));
    }

    bool done = false;

    FB_UDR_FETCH_PROCEDURE
    {
        if (done) return false;
        done = true;
        return true;
    }
FB_UDR_END_PROCEDURE

FB_UDR_BEGIN_PROCEDURE(directorytest)
    FB_UDR_MESSAGE(InMessage,
        (FB_VARCHAR(64), mode)
        (FB_VARCHAR(2048), path1)
    );
    FB_UDR_MESSAGE(OutMessage,
        (FB_INTEGER, wbool)
    );

    FB_UDR_EXECUTE_PROCEDURE
    {
        out->wboolNull = FB_FALSE;
        out->wbool = directoryTest(text(in->mode, in->modeNull), text(in->path1, in->path1Null));
    }

    bool done = false;

    FB_UDR_FETCH_PROCEDURE
    {
        if (done) return false;
        done = true;
        return true;
    }
FB_UDR_END_PROCEDURE

// Paths have no short form here: the name comes back as it is.
FB_UDR_BEGIN_PROCEDURE(longtoshortfilename)
    FB_UDR_MESSAGE(InMessage,
        (FB_VARCHAR(2048), longname)
    );
    FB_UDR_MESSAGE(OutMessage,
        (FB_VARCHAR(2048), shortname)
    );

    FB_UDR_EXECUTE_PROCEDURE
    {
        const std::string name = text(in->longname, in->longnameNull);
        out->shortnameNull = FB_FALSE;
        out->shortname.length = static_cast<ISC_USHORT>(name.size());
        std::copy(name.begin(), name.end(), out->shortname.str);
    }

    bool done = false;

    FB_UDR_FETCH_PROCEDURE
    {
        if (done) return false;
        done = true;
        return true;
    }
FB_UDR_END_PROCEDURE

FB_UDR_IMPLEMENT_ENTRY_POINT
