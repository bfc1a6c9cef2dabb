// File procedures of the system database: the database server answers for
// files and folders on its own side, so that a client can test, copy and
// delete data-set files there. Loaded by the server's UDR engine.
//
// The server's account can write far more than the data: every path is held
// to the folders the system database the procedure runs in stands for (its
// own folder, the server's work folder beside it, the data-set folders of its
// lists and the folders of its data places), and anything else is refused
// with an error to the caller.
#define FB_UDR_STATUS_TYPE ::Firebird::ThrowStatusWrapper
#include <firebird/UdrCppEngine.h>

#include "UdrSupport.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

using udr::Held;
using udr::pathOf;

template <typename V>
std::string text(const V &v, bool isNull)
{
    return isNull ? std::string() : std::string(v.str, v.length);
}

using Firebird::IExternalContext;
using Firebird::ThrowStatusWrapper;

// A path with "." and ".." resolved and the links of its existing part
// followed, without a trailing separator.
fs::path resolved(const fs::path &p)
{
    std::error_code ec;
    fs::path r = fs::weakly_canonical(p, ec);
    if (ec) r = p.lexically_normal();
    while (!r.has_filename() && r != r.root_path()) r = r.parent_path();
    return r;
}

// Whether `path` is `folder` or lies below it; both resolved.
bool within(const fs::path &path, const fs::path &folder)
{
    auto p = path.begin();
    for (const fs::path &part : folder) {
        if (p == path.end() || *p != part) return false;
        ++p;
    }
    return true;
}

// Where the procedures may work, as the system database they run in says.
class AllowedFolders
{
public:
    AllowedFolders(ThrowStatusWrapper *status, IExternalContext *context)
    {
        // The database's own file, as the server opened it.
        m_database = resolved(fs::path(context->getDatabaseName()));
        const fs::path own = m_database.parent_path();
        add(own);
        // The server's work folder lies beside the data folder ("<root>/temp").
        add(own.parent_path() / "temp");
        // The folders of the lists and of the data places, in the caller's transaction.
        FB_MESSAGE(Row, ThrowStatusWrapper, (FB_INTL_VARCHAR(1024, 5), path));
        Row row(status, context->getMaster());
        Held<Firebird::IAttachment> attachment(context->getAttachment(status));
        Held<Firebird::ITransaction> transaction(context->getTransaction(status));
        static const char *const sql =
            "SELECT PASNAME FROM DATALIST WHERE PASNAME > '' "
            "UNION SELECT PASNAME FROM DATALIST_EX WHERE PASNAME > '' "
            "UNION SELECT PATH FROM DATAPLACEMAN WHERE PATH > ''";
        Held<Firebird::IResultSet> rows(attachment->openCursor(status, transaction.p, 0, sql, SQL_DIALECT_V6, nullptr, nullptr,
                                                               row.getMetadata(), nullptr, 0));
        while (rows->fetchNext(status, row.getData()) == Firebird::IStatus::RESULT_OK)
            if (!row->pathNull) add(pathOf(std::string(row->path.str, row->path.length)));
        rows->close(status);
        rows.p = nullptr; // closing has freed it
    }

    bool allows(const fs::path &path) const
    {
        if (!path.is_absolute()) return false;
        const fs::path p = resolved(path);
        for (const fs::path &folder : m_folders)
            if (within(p, folder)) return true;
        return false;
    }

    // Whether deleting or overwriting `path` would take the system database with it.
    bool holdsTheDatabase(const fs::path &path) const { return within(m_database, resolved(path)); }

private:
    // Only absolute folders count, and never the root of the file system.
    void add(const fs::path &folder)
    {
        if (!folder.is_absolute()) return;
        const fs::path f = resolved(folder);
        if (f == f.root_path()) return;
        m_folders.push_back(f);
    }

    fs::path m_database;
    std::vector<fs::path> m_folders;
};

// The caller gets an error naming the refused path (texts in CP932, as the
// client reads the server's messages).
[[noreturn]] void refuse(ThrowStatusWrapper *status, const std::string &cp932Path)
{
    udr::fail(status, "データフォルダ以外のファイル操作はできません。", cp932Path);
}

// Refuses a path outside the allowed folders; one to delete or overwrite
// must not hold the system database either.
void check(ThrowStatusWrapper *status, const AllowedFolders &allowed, const std::string &cp932Path, bool destroys)
{
    const fs::path p = pathOf(cp932Path);
    if (!allowed.allows(p) || (destroys && allowed.holdsTheDatabase(p))) refuse(status, cp932Path);
}

int fileOperation(ThrowStatusWrapper *status, IExternalContext *context, const std::string &mode, const std::string &p1,
                  const std::string &p2)
{
    if (mode != "FEXIST" && mode != "FCOPY" && mode != "FDEL") return 0;
    if (mode == "FCOPY" && p2.empty()) return 0;
    const AllowedFolders allowed(status, context);
    check(status, allowed, p1, mode == "FDEL");
    if (mode == "FCOPY") check(status, allowed, p2, true);
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

int directoryTest(ThrowStatusWrapper *status, IExternalContext *context, const std::string &mode, const std::string &p1)
{
    if (mode != "DEXIST" && mode != "MKDIR" && mode != "RMDIR") return 0;
    const AllowedFolders allowed(status, context);
    check(status, allowed, p1, mode == "RMDIR");
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
        out->wbool = fileOperation(status, context, text(in->mode, in->modeNull), text(in->path1, in->path1Null),
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
        out->wbool = directoryTest(status, context, text(in->mode, in->modeNull), text(in->path1, in->path1Null));
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
