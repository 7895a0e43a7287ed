#include "platform/Shell.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include "platform/Dialogs.h"
#include "platform/QtText.h"

namespace zelvo::platform {
namespace {

constexpr int kStarted = 42;
constexpr int kFileNotFound = 2;

QString FindProgram(const QString& file) {
    if (file.contains('/')) {
        QFileInfo info(file);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(file);
}

bool IsWindowsProgramName(const QString& name) {
    return name.endsWith(".exe", Qt::CaseInsensitive);
}

// The desktop's opener takes exactly one target and no "--".
int OpenWithDesktop(const QString& target) {
    const QString opener = QStandardPaths::findExecutable("xdg-open");
    if (opener.isEmpty() || target.isEmpty())
        return kFileNotFound;
    return QProcess::startDetached(opener, {target}) ? kStarted : kFileNotFound;
}

int Start(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments) ? kStarted : kFileNotFound;
}

QString Unquoted(const std::string& parameters) {
    QString text = ToQString(parameters);
    if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"'))
        text = text.mid(1, text.size() - 2);
    return text;
}

}  // namespace

int ShellExecute(const std::string& file, const std::string& parameters, int) {
    const QString name = ToQString(file).trimmed();
    if (name.isEmpty())
        return kFileNotFound;
    const QString argument = Unquoted(parameters);
    const QStringList arguments = argument.isEmpty() ? QStringList() : QStringList{argument};
    if (const QString program = FindProgram(name); !program.isEmpty())
        return Start(program, arguments);
    if (IsWindowsProgramName(name))
        return OpenWithDesktop(argument);
    return kFileNotFound;
}

int ShellBrowse(const std::string& browser, const std::string& address) {
    const QString name = ToQString(browser).trimmed();
    if (name.isEmpty())
        return kFileNotFound;
    if (const QString program = FindProgram(name); !program.isEmpty())
        return Start(program, {QStringLiteral("--"), ToQString(EncodeAddress(address))});
    if (IsWindowsProgramName(name))
        return ShellOpenAddress(address);
    return kFileNotFound;
}

int ShellOpenAddress(const std::string& address) {
    if (!IsOpenableAddress(address))
        return kFileNotFound;
    return OpenWithDesktop(ToQString(EncodeAddress(address)));
}

bool WinHelp(const std::string& helpFile, unsigned context) {
    if (!QFileInfo::exists(ToQString(helpFile))) {
        ShowWarning("Cannot find the " + helpFile + " file.");
        return false;
    }
    // The guide is a web page; each topic is an anchor in it.
    QUrl topic = QUrl::fromLocalFile(QFileInfo(ToQString(helpFile)).absoluteFilePath());
    topic.setFragment(QStringLiteral("topic-%1").arg(context));
    return OpenWithDesktop(QString::fromLatin1(topic.toEncoded())) > 32;
}

}  // namespace zelvo::platform
