// Functions of the file-manager database: the database server reads one of
// its own files into a blob, or writes a blob into one of its files, so that
// whole backup files travel between a client and the server inside a row.
// Loaded by the server's UDR engine.
//
// Both work only in the server's work folder ("temp" beside the folder of the
// file-manager database); any other path is refused with an error. A file is
// written under a work name and renamed over the target once complete.
#define FB_UDR_STATUS_TYPE ::Firebird::ThrowStatusWrapper
#include <firebird/UdrCppEngine.h>

#include "UdrSupport.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

using udr::fail;
using udr::Held;

using Firebird::IExternalContext;
using Firebird::ThrowStatusWrapper;

fs::path resolved(const fs::path &p)
{
    std::error_code ec;
    fs::path r = fs::weakly_canonical(p, ec);
    if (ec) r = p.lexically_normal();
    return r;
}

// The file of the path, when it lies directly in the server's work folder.
fs::path workFile(ThrowStatusWrapper *status, IExternalContext *context, const std::string &cp932Path)
{
    const fs::path database = resolved(fs::path(context->getDatabaseName()));
    const fs::path work = resolved(database.parent_path().parent_path() / "temp");
    const fs::path p = udr::pathOf(cp932Path);
    if (!p.is_absolute() || resolved(p).parent_path() != work || !resolved(p).has_filename())
        fail(status, "作業フォルダ以外のファイルは転送できません。", cp932Path);
    return resolved(p);
}

std::string text(const char *str, unsigned length, bool isNull)
{
    return isNull ? std::string() : std::string(str, length);
}

} // namespace

using namespace Firebird;

FB_UDR_BEGIN_FUNCTION(filetoblob)
    FB_UDR_MESSAGE(InMessage,
        (FB_VARCHAR(2048), filepath)
    );
    FB_UDR_MESSAGE(OutMessage,
        (FB_BLOB, content)
    );

    FB_UDR_EXECUTE_FUNCTION
    {
        const std::string path = text(in->filepath.str, in->filepath.length, in->filepathNull);
        const fs::path file = workFile(status, context, path);
        std::ifstream input(file, std::ios::binary);
        if (!input) fail(status, "ファイルを開けません。", path);
        Held<IAttachment> attachment(context->getAttachment(status));
        Held<ITransaction> transaction(context->getTransaction(status));
        IBlob *blob = attachment->createBlob(status, transaction.p, &out->content, 0, nullptr);
        try {
            std::vector<char> buffer(32768);
            while (input) {
                input.read(buffer.data(), std::streamsize(buffer.size()));
                const std::streamsize n = input.gcount();
                if (n > 0) blob->putSegment(status, unsigned(n), buffer.data());
            }
            if (input.bad()) fail(status, "ファイルを読めません。", path);
            blob->close(status); // frees the blob
        } catch (...) {
            blob->cancel(status);
            throw;
        }
        out->contentNull = FB_FALSE;
    }
FB_UDR_END_FUNCTION

FB_UDR_BEGIN_FUNCTION(blobtofile)
    FB_UDR_MESSAGE(InMessage,
        (FB_VARCHAR(2048), filepath)
        (FB_BLOB, content)
    );
    FB_UDR_MESSAGE(OutMessage,
        (FB_INTEGER, wbool)
    );

    FB_UDR_EXECUTE_FUNCTION
    {
        const std::string path = text(in->filepath.str, in->filepath.length, in->filepathNull);
        const fs::path file = workFile(status, context, path);
        out->wboolNull = FB_FALSE;
        out->wbool = 0;
        if (in->contentNull) return;
        const fs::path part = file.string() + ".part";
        Held<IAttachment> attachment(context->getAttachment(status));
        Held<ITransaction> transaction(context->getTransaction(status));
        IBlob *blob = attachment->openBlob(status, transaction.p, &in->content, 0, nullptr);
        bool written = false;
        {
            std::ofstream output(part, std::ios::binary | std::ios::trunc);
            if (!output) {
                blob->close(status);
                fail(status, "ファイルを作成できません。", path);
            }
            std::vector<char> buffer(32768);
            for (;;) {
                unsigned got = 0;
                const int rc = blob->getSegment(status, unsigned(buffer.size()), buffer.data(), &got);
                if (rc == IStatus::RESULT_NO_DATA) break;
                output.write(buffer.data(), got);
            }
            blob->close(status);
            output.flush();
            written = bool(output);
        }
        std::error_code ec;
        if (!written) {
            fs::remove(part, ec);
            fail(status, "ファイルに書き込めません。", path);
        }
        fs::rename(part, file, ec);
        if (ec) {
            fs::remove(part, ec);
            fail(status, "ファイルを置き換えられません。", path);
        }
        out->wbool = 1;
    }
FB_UDR_END_FUNCTION

FB_UDR_IMPLEMENT_ENTRY_POINT
