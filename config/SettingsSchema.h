#pragma once
// Every value of the settings store, in one place: its name, type, default
// and range, the section it lives in, and the batches that read and write
// it. Start-up, the dialog and exit take their names and defaults from here.
#include <algorithm>

namespace zelvo::config::settings {

// The product name: the base section, and the front of every copy's own.
inline constexpr const char* kBaseSection = "Zelvo";

// Where a value lives: the base section, or the copy's own ("Zelvo" followed
// by "", "2" or "3").
enum class TSection { Base, Instance };

// One opening of the store each.
enum TBatch : unsigned {
    bProcessStart = 1u << 0,  // before any window: the strip's frame
    bStartUp = 1u << 1,       // the strip's creation: the copy count, placement and look
    bDialogLoad = 1u << 2,    // the dialog's creation
    bSave = 1u << 3,          // the dialog's Save
    bExit = 1u << 4,          // the end of the program
};

struct TText {
    const char* Name;
    // Nothing: the reader's (the URL list's entries give the sites').
    const char* Default;
    int MaxLength;  // 0: no limit
    TSection ReadIn, WrittenIn;
    unsigned ReadBy, WrittenBy;
};

// Integers and colours (0x00BBGGRR).
struct TInteger {
    const char* Name;
    int Default;   // where the reader computes it: its fallback
    int Min, Max;  // what loading takes the value into; the full range when unchecked
    TSection ReadIn, WrittenIn;
    unsigned ReadBy, WrittenBy;
    int Clamp(int value) const { return std::clamp(value, Min, Max); }
};

struct TBoolean {
    const char* Name;
    bool Default;
    TSection ReadIn, WrittenIn;
    unsigned ReadBy, WrittenBy;
};

inline constexpr int kIntMin = -2147483647 - 1;
inline constexpr int kIntMax = 2147483647;

constexpr TSection kBase = TSection::Base;
constexpr TSection kOwn = TSection::Instance;

// clang-format off
// --- The copy count and the frame --------------------------------------------

// Copies running; a start that would make it exceed 3 ends that copy.
inline constexpr TInteger RunningInstances{"RunningInstances", 1, kIntMin, kIntMax,
                                           kBase, kBase, bStartUp | bExit, bStartUp | bExit};
// Read from the base section at process start, written by Save into the
// copy's own: copies 2 and 3 take copy 1's frame.
inline constexpr TBoolean Border{"Border", true, kBase, kOwn, bProcessStart, bSave};

// --- The dialog's values -------------------------------------------------------

// Site 1 defaults to the built-in list's first entry; sites 2 and 3 to the
// entries at index 1 and 2 of the Site Check list as loaded.
inline constexpr TText WebSite1{"WebSite1", nullptr, 0, kOwn, kOwn, bDialogLoad, bSave};
inline constexpr TText WebSite2{"WebSite2", nullptr, 0, kOwn, kOwn, bDialogLoad, bSave};
inline constexpr TText WebSite3{"WebSite3", nullptr, 0, kOwn, kOwn, bDialogLoad, bSave};
inline constexpr TBoolean Site1Enabled{"Site1Enabled", true, kOwn, kOwn, bDialogLoad, bSave};
inline constexpr TBoolean Site2Enabled{"Site2Enabled", true, kOwn, kOwn, bDialogLoad, bSave};
inline constexpr TBoolean Site3Enabled{"Site3Enabled", true, kOwn, kOwn, bDialogLoad, bSave};
// Defaults to the maker's home page, the built-in list's last entry.
inline constexpr TText SiteTester{"SiteTester", nullptr, 0, kOwn, kOwn, bDialogLoad, bSave};
inline constexpr TText Browser{"Browser", "IExplore.exe", 0, kOwn, kOwn, bDialogLoad, bSave};
inline constexpr TText Viewer{"Viewer", "Notepad.exe", 0, kOwn, kOwn, bDialogLoad, bSave};
// The account and proxy texts are stored trimmed.
inline constexpr TText ProxyPort{"ProxyPort", "", 15, kOwn, kOwn, bDialogLoad, bSave};
inline constexpr TText ProxyHost{"ProxyHost", "", 30, kOwn, kOwn, bDialogLoad, bSave};
inline constexpr TText Username{"Username", "", 25, kOwn, kOwn, bDialogLoad, bSave};
// Plain text; a stored "(Secret)" counts as none.
inline constexpr TText Password{"Password", "", 25, kOwn, kOwn, bDialogLoad, bSave};
// The scroll timer's interval in milliseconds.
inline constexpr TInteger TickerScrollSpeed{"TickerScrollSpeed", 250, 100, 400,
                                            kOwn, kOwn, bDialogLoad, bSave};
// Characters per scroll tick, taken as stored.
inline constexpr TInteger CharScroll{"CharScroll", 2, kIntMin, kIntMax,
                                     kOwn, kOwn, bDialogLoad, bSave};
// Minutes between automatic retrievals.
inline constexpr TInteger RetrievalInterval{"RetrievalInterval", 15, 1, 240,
                                            kOwn, kOwn, bDialogLoad, bSave};
// Hours until the program ends itself, 0 for never.
inline constexpr TInteger AutoTimeOut{"AutoTimeOut", 4, 0, 12, kOwn, kOwn, bDialogLoad, bSave};
inline constexpr TBoolean AutoRetrievalOn{"AutoRetrievalOn", true,
                                          kOwn, kOwn, bStartUp | bDialogLoad, bSave};
// How a web page becomes the strip's line: "Headlines" (its title and
// headlines) or "Classic" (the old byte rules over all its text). Any other
// text reads as "Headlines".
inline constexpr TText PageReading{"PageReading", "Headlines", 0, kOwn, kOwn, bDialogLoad, bSave};
inline constexpr const char* kClassicReading = "Classic";
// The strip's text glides by pixels; off, it jumps by whole characters.
inline constexpr TBoolean SmoothScroll{"SmoothScroll", true, kOwn, kOwn, bDialogLoad, bSave};

// --- The strip's look, read at start-up and written by Save --------------------

inline constexpr TInteger Backcolor{"Backcolor", 0, kIntMin, kIntMax,
                                    kOwn, kOwn, bStartUp, bSave};
inline constexpr TInteger ForeColor{"ForeColor", 16777215, kIntMin, kIntMax,
                                    kOwn, kOwn, bStartUp, bSave};
inline constexpr TText FontName{"FontName", "MS Sans Serif", 0, kOwn, kOwn, bStartUp, bSave};
// Points; the font dialog offers 8 to 12.
inline constexpr TInteger FontSize{"FontSize", 8, kIntMin, kIntMax,
                                   kOwn, kOwn, bStartUp, bSave};
// 1: regular; any other value: bold. Save writes 1 for a font with no style.
inline constexpr TInteger FontStyle{"FontStyle", 2, kIntMin, kIntMax,
                                    kOwn, kOwn, bStartUp, bSave};

// --- The strip's placement, read at start-up and written at exit ---------------

// Defaults to the row just above the taskbar; start-up replaces a value
// below -8 or above the screen height minus 8 by that row, exit stores one
// below -8 or above the screen height as 0.
inline constexpr TInteger TickerTop{"TickerTop", 0, kIntMin, kIntMax,
                                    kOwn, kOwn, bStartUp, bExit};
// A value below -10 becomes 0 at start-up.
inline constexpr TInteger TickerLeft{"TickerLeft", 0, kIntMin, kIntMax,
                                     kOwn, kOwn, bStartUp, bExit};
// Defaults to the screen width.
inline constexpr TInteger TickerWidth{"TickerWidth", 0, kIntMin, kIntMax,
                                      kOwn, kOwn, bStartUp, bExit};
inline constexpr TBoolean HideTicker{"HideTicker", false, kOwn, kOwn, bStartUp, bExit};
inline constexpr TBoolean AlwaysOnTop{"AlwaysOnTop", true, kOwn, kOwn, bStartUp, bExit};
// clang-format on

}  // namespace zelvo::config::settings
