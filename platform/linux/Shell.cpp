#include "platform/Shell.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "platform/Cp1252.h"
#include "platform/Dialogs.h"
#include "toolkit/QtText.h"

namespace zelvo::platform {
namespace {

constexpr int kStarted = 42;
constexpr int kFileNotFound = 2;

QStringList SplitParameters(const std::string& parameters) {
    QStringList out;
    QString current;
    bool quoted = false;
    bool any = false;
    for (QChar c : ToQString(parameters)) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (any)
                out << current;
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        out << current;
    return out;
}

QString FindProgram(const QString& file) {
    if (file.contains('/')) {
        QFileInfo info(file);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(file);
}

bool OpenWithDesktop(const QStringList& targets) {
    QString opener = QStandardPaths::findExecutable("xdg-open");
    if (opener.isEmpty() || targets.isEmpty())
        return false;
    for (const QString& target : targets)
        if (!QProcess::startDetached(opener, {target}))
            return false;
    return true;
}

}  // namespace

int ShellExecute(const std::string& file, const std::string& parameters, int) {
    QString name = ToQString(file).trimmed();
    if (name.isEmpty())
        return kFileNotFound;
    QStringList args = SplitParameters(parameters);
    QString program = FindProgram(name);
    if (!program.isEmpty())
        return QProcess::startDetached(program, args) ? kStarted : kFileNotFound;
    if (name.endsWith(".exe", Qt::CaseInsensitive))
        return OpenWithDesktop(args) ? kStarted : kFileNotFound;
    // A document or an address: its associated program opens it.
    if (args.isEmpty() && (name.contains("://") || QFileInfo::exists(name)))
        return OpenWithDesktop({name}) ? kStarted : kFileNotFound;
    return kFileNotFound;
}

bool WinHelp(const std::string& helpFile, unsigned) {
    if (!QFileInfo::exists(ToQString(helpFile))) {
        ShowWarning("Cannot find the " + helpFile + " file.");
        return false;
    }
    return OpenWithDesktop({ToQString(helpFile)});
}

}  // namespace zelvo::platform
