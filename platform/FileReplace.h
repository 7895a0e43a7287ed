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

// Replaces the content of the file at path with data. An existing file keeps
// its permission bits; a new one gets 0644 less the umask. Throws
// FileReplaceError ("Cannot create file <path>" and the system's reason).
void ReplaceFileContents(const std::string& path, const std::string& data);

}  // namespace zelvo::platform
