#include "toolkit/Look.h"

namespace zelvo::platform {

QFont ToQFont(const std::string& name, int size, bool bold, bool italic, bool underline,
              bool strikeOut) {
    TFont font;
    font.Name = name;
    font.Size = size;
    font.Bold = bold;
    font.Italic = italic;
    font.Underline = underline;
    font.StrikeOut = strikeOut;
    return toolkit::ToQFont(font);
}

}  // namespace zelvo::platform
