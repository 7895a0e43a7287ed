#pragma once
// Stand-ins for the programs the ticker launches: each is a script on a
// private PATH that records the arguments it was started with, so a test can
// see exactly what was started and with what.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/Files.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/WaitFor.h"

namespace zelvo::testing {

class StandInPrograms {
public:
    // The private folder goes first on PATH; the system's stays behind it so
    // the scripts find their own tools.
    StandInPrograms() : path_("PATH", dir_.Path() + ":/usr/bin:/bin") {}

    const TempDir& Dir() const { return dir_; }

    // Adds a program that records its arguments, one per NUL-ended field.
    std::string Add(const std::string& name) {
        const std::string script = dir_ / name;
        const std::string record = Record(name);
        std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\0' \"$a\"; done >'"
                              << record << ".part'\nmv '" << record << ".part' '" << record
                              << "'\n";
        ::chmod(script.c_str(), 0755);
        return script;
    }

    // The arguments of the program's call, once it has happened; empty
    // (with Started false) when it did not happen within a few seconds.
    std::vector<std::string> Arguments(const std::string& name) const {
        WaitFor([&] { return Started(name); }, 5000);
        return Split(Slurp(Record(name)));
    }

    // The same, and forgets the call, so that the next one can be told apart.
    std::vector<std::string> Take(const std::string& name) const {
        auto arguments = Arguments(name);
        std::remove(Record(name).c_str());
        return arguments;
    }

    bool Started(const std::string& name) const {
        std::ifstream in(Record(name));
        return in.good();
    }

private:
    std::string Record(const std::string& name) const { return dir_ / (name + ".args"); }

    static std::vector<std::string> Split(const std::string& fields) {
        std::vector<std::string> out;
        std::string current;
        for (char c : fields) {
            if (c == '\0') {
                out.push_back(current);
                current.clear();
            } else {
                current += c;
            }
        }
        return out;
    }

    TempDir dir_;
    ScopedEnv path_;
};

}  // namespace zelvo::testing
