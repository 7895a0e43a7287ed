#include "http/UrlHelpers.h"

#include <cmath>
#include <cstdio>

#include "http/TextRules.h"

namespace zelvo::http {

int LastPos(const std::string& sub, const std::string& s) {
    if (sub.empty() || sub.size() > s.size())
        return 0;
    std::size_t p = s.rfind(sub);
    return p == std::string::npos ? 0 : static_cast<int>(p) + 1;
}

void SplitURL(const std::string& url, std::string& scheme, std::string& user, std::string& password,
              std::string& host, std::string& port, std::string& path) {
    scheme.clear();
    user.clear();
    password.clear();
    host.clear();
    port.clear();
    path.clear();

    std::string rest;
    std::size_t p = url.find("://");
    if (p != std::string::npos) {
        scheme = url.substr(0, p);
        rest = url.substr(p + 3);
    } else if (LowerAscii(url.substr(0, 7)) == "mailto:") {
        scheme = "mailto";
        rest = url.substr(url.find(':') + 1);
    } else {
        rest = url;
    }

    std::string authority;
    std::size_t slash = rest.find('/');
    if (slash != std::string::npos) {
        path = rest.substr(slash);
        authority = rest.substr(0, slash);
    } else {
        authority = rest;
    }

    int c = LastPos(":", authority);
    int a = LastPos("@", authority);
    std::string userPart;
    if (c == 0 && a == 0) {
        host = authority;
        return;
    }
    if (c > a) {
        port = Copy(authority, c + 1, static_cast<int>(authority.size()));
        host = Copy(authority, a + 1, c - a - 1);
        if (a == 0)
            return;
        userPart = authority.substr(0, static_cast<std::size_t>(a - 1));
    } else {
        host = Copy(authority, a + 1, static_cast<int>(authority.size()));
        userPart = authority.substr(0, static_cast<std::size_t>(a - 1));
    }
    std::size_t colon = userPart.find(':');
    if (colon != std::string::npos) {
        user = userPart.substr(0, colon);
        password = userPart.substr(colon + 1);
    } else {
        user = userPart;
    }
}

void ReplaceExt(std::string& name, const std::string& ext) {
    int d = LastPos(".", name);
    if (d > 0)
        name = name.substr(0, static_cast<std::size_t>(d)) + ext;
    else
        name = name + "." + ext;
}

std::string ExtractFileExt(const std::string& name) {
    std::size_t p = name.find_last_of(".\\:");
    if (p == std::string::npos || name[p] != '.')
        return {};
    return name.substr(p);
}

std::string HttpDateText(double dateTime) {
    static const char* const kDays = "MonTueWedThuFriSatSun";
    static const char* const kMonths = "JanFebMarAprMayJunJulAugSepOctNovDec";
    // 1 January 0001 and the last second of 31 December 9999: outside them
    // the day count no longer fits the four-digit year, and far outside them
    // it no longer fits an integer at all.
    constexpr double kFirst = -693593.0;
    constexpr double kLast = 2958465.0 + 86399.0 / 86400.0;
    if (std::isnan(dateTime) || dateTime < kFirst)
        dateTime = kFirst;
    else if (dateTime > kLast)
        dateTime = kLast;

    const double whole = std::trunc(dateTime);
    const auto days = static_cast<long long>(whole);
    long long ms = std::llround(std::fabs(dateTime - whole) * 86400000.0);
    if (ms >= 86400000)
        ms = 86400000 - 1;  // a fraction that rounds up to midnight stays in its day

    // Civil date from the day count; 30 December 1899 is 25569 days before
    // 1 January 1970.
    long long z = days - 25569 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long year = yoe + era * 400;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    if (month <= 2)
        ++year;

    const long long hour = ms / 3600000;
    const long long minute = ms / 60000 % 60;
    const long long second = ms / 1000 % 60;
    const long long weekday = ((days - 2) % 7 + 7) % 7;

    char text[64];
    std::snprintf(text, sizeof text, "%.3s, %2.2lld %.3s %4.4lld %2.2lld:%2.2lld:%2.2lld",
                  kDays + 3 * weekday, day, kMonths + 3 * (month - 1), year, hour, minute, second);
    return text;
}

std::string EncodeBase64(const std::string& data) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < data.size(); i += 3) {
        unsigned v = (static_cast<unsigned char>(data[i]) << 16) |
                     (static_cast<unsigned char>(data[i + 1]) << 8) |
                     static_cast<unsigned char>(data[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    std::size_t left = data.size() - i;
    if (left == 1) {
        unsigned v = static_cast<unsigned char>(data[i]) << 16;
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += "==";
    } else if (left == 2) {
        unsigned v = (static_cast<unsigned char>(data[i]) << 16) |
                     (static_cast<unsigned char>(data[i + 1]) << 8);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

}  // namespace zelvo::http
