#pragma once
// Rewriting a user's file whole without ever leaving it half written: the new
// content goes to a temporary file beside it, which then takes the old file's
// place in one step. A failure leaves the old file exactly as it was.
#include <stdexcept>
#include <string>

namespace zelvo::platform {

class FileReplaceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Who may read a file the program writes: files that can hold what the user
// fetched or typed (a page, the log of an exchange) are the user's alone.
enum class FileAccess { Shared, Private };

// Replaces the content of the file at path with data. A shared file keeps
// the permission bits of an existing one; a new one gets 0644 less the
// umask. A private file is 0600 whatever it was before. Throws
// FileReplaceError ("Cannot create file <path>" and the system's reason).
void ReplaceFileContents(const std::string& path, const std::string& data,
                         FileAccess access = FileAccess::Shared);

// Makes dir and whichever of its parents are missing, each new one 0700;
// folders that exist are left as they are. False when dir is no folder
// afterwards.
bool MakePrivateFolders(const std::string& dir);

}  // namespace zelvo::platform
