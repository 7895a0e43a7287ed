#include "platform/Shell.h"

#include <string>

#include "platform/Cp1252.h"
#include "platform/Dialogs.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32.h"

// After the system's main header, which they need.
#include <shellapi.h>
#include <shlwapi.h>

// The platform's own functions, not the system's narrow ones.
#undef ShellExecute
#undef WinHelp

namespace zelvo::platform {
namespace {

constexpr int kFileNotFound = 2;

// Settings hold Windows-1252 text, while the program's folders are UTF-8:
// a command names one and passes the other. Text that is valid UTF-8 is
// taken as UTF-8 (Windows-1252 text with accents hardly ever is); the rest
// as Windows-1252.
std::wstring WideText(const std::string& text) {
    if (text.empty())
        return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                        static_cast<int>(text.size()), nullptr, 0);
    if (n > 0) {
        std::wstring wide(static_cast<size_t>(n), L'\0');
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                              static_cast<int>(text.size()), wide.data(), n);
        return wide;
    }
    const std::u16string wide = Cp1252ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

// One argument as the C runtime splits a command line: in double quotes,
// with a quote escaped and the backslashes before a quote (or before the
// closing one) doubled, so the program sees exactly the text and no second
// argument or option can come out of it.
std::wstring QuotedArgument(const std::wstring& text) {
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            out.append(backslashes * 2 + 1, L'\\');
        else
            out.append(backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

std::wstring Unquoted(const std::string& parameters) {
    std::wstring text = WideText(parameters);
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"')
        text = text.substr(1, text.size() - 2);
    return text;
}

std::wstring Trimmed(std::wstring text) {
    const auto blank = [](wchar_t c) {
        return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
    };
    while (!text.empty() && blank(text.back()))
        text.pop_back();
    size_t start = 0;
    while (start < text.size() && blank(text[start]))
        ++start;
    return text.substr(start);
}

bool IsWindowsProgramName(const std::wstring& name) {
    return name.size() >= 4 && ::lstrcmpiW(name.c_str() + name.size() - 4, L".exe") == 0;
}

// The shell's answer is a pseudo-handle: above 32 for success, the error
// number otherwise.
int Open(const wchar_t* file, const std::wstring& parameters, int showCommand) {
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", file, parameters.empty() ? nullptr : parameters.c_str(),
                        nullptr, showCommand));
    return static_cast<int>(result);
}

// Whether the shell would find the program: a path that exists, or a name
// on the search path or in the App Paths of the registry.
bool ProgramFound(const std::wstring& name) {
    if (name.find_first_of(L"\\/:") != std::wstring::npos)
        return ::GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
    wchar_t path[MAX_PATH];
    if (::SearchPathW(nullptr, name.c_str(), nullptr, MAX_PATH, path, nullptr) != 0)
        return true;
    ::DWORD size = MAX_PATH;
    return ::AssocQueryStringW(ASSOCF_OPEN_BYEXENAME, ASSOCSTR_EXECUTABLE, name.c_str(), nullptr,
                               path, &size) == S_OK;
}

// The address with the desktop's handler for it; only web and file addresses.
int OpenAddress(const std::string& address) {
    if (!IsOpenableAddress(address))
        return kFileNotFound;
    const std::wstring target = WideText(EncodeAddress(address));
    return Open(target.c_str(), L"", SW_SHOWNORMAL);
}

// The program the system opens web pages with, when it names one.
std::wstring BrowserProgram() {
    wchar_t path[MAX_PATH];
    ::DWORD size = MAX_PATH;
    if (::AssocQueryStringW(ASSOCF_NONE, ASSOCSTR_EXECUTABLE, L"http", L"open", path, &size) !=
        S_OK)
        return {};
    return path;
}

}  // namespace

int ShellExecute(const std::string& file, const std::string& parameters, int showCommand) {
    const std::wstring name = Trimmed(WideText(file));
    if (name.empty())
        return kFileNotFound;
    const std::wstring argument = Unquoted(parameters);
    const std::wstring arguments = argument.empty() ? std::wstring() : QuotedArgument(argument);
    if (!ProgramFound(name)) {
        // As on every system: a stock program name that is missing opens
        // the file with its handler instead.
        if (IsWindowsProgramName(name) && !argument.empty())
            return Open(argument.c_str(), L"", showCommand);
        return kFileNotFound;
    }
    const int result = Open(name.c_str(), arguments, showCommand);
    return result > 32 ? result : (result == 0 ? kFileNotFound : result);
}

int ShellBrowse(const std::string& browser, const std::string& address) {
    const std::wstring name = Trimmed(WideText(browser));
    if (name.empty())
        return kFileNotFound;
    if (!ProgramFound(name))
        return IsWindowsProgramName(name) ? OpenAddress(address) : kFileNotFound;
    const std::wstring arguments = L"-- " + QuotedArgument(WideText(EncodeAddress(address)));
    return Open(name.c_str(), arguments, SW_SHOWNORMAL);
}

int ShellOpenAddress(const std::string& address) {
    return OpenAddress(address);
}

bool WinHelp(const std::string& helpFile, unsigned context) {
    const std::wstring file = win32::Wide(helpFile);
    wchar_t full[MAX_PATH * 4];
    const DWORD n =
        ::GetFullPathNameW(file.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
    const DWORD attributes = n != 0 ? ::GetFileAttributesW(full) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ShowWarning("Cannot find the " + helpFile + " file.");
        return false;
    }
    // The guide is a web page; each topic is an anchor in it. Opening the
    // file itself would drop the anchor, so the browser gets the address.
    wchar_t url[MAX_PATH * 8];
    ::DWORD size = static_cast<DWORD>(std::size(url));
    if (::UrlCreateFromPathW(full, url, &size, 0) != S_OK)
        return Open(full, L"", SW_SHOWNORMAL) > 32;
    const std::wstring topic = std::wstring(url) + L"#topic-" + std::to_wstring(context);
    if (const std::wstring browser = BrowserProgram(); !browser.empty()) {
        if (Open(browser.c_str(), QuotedArgument(topic), SW_SHOWNORMAL) > 32)
            return true;
    }
    return Open(full, L"", SW_SHOWNORMAL) > 32;
}

}  // namespace zelvo::platform
