#pragma once
// The version rows of the system and company databases, read without a window.
#include <compare>

class FbDatabase;

struct TDbVersionRec {
    int Major = 0;
    int Minor = 0;
    int Rev = 0;
    friend auto operator<=>(const TDbVersionRec &, const TDbVersionRec &) = default;
};

// The newest version row of the system database (kind 0) or of a company
// database (any other kind); all zero when there is none. The read is
// committed on every path; an engine error is thrown to the caller.
TDbVersionRec ReadNewestDbVersion(FbDatabase &db, int kind);
